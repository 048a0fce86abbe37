// The page on phones: chromium emulating a portrait iPhone-sized and
// Android-sized screen with touch, and both in landscape. A tap starts the
// demo with sound; the canvas fills the width (portrait) or the height above
// the status line (landscape) with its aspect kept; nothing scrolls
// sideways; the status line stays readable; the fullscreen button is there
// only where the browser can put the page in fullscreen.
//
// Emulation gives a phone's screen and touch, not its browser: an iPhone's
// Safari is stood for by taking away what it lacks (element fullscreen) and
// giving it what it has (navigator.audioSession, recorded).
import {describe, it} from 'node:test';
import assert from 'node:assert/strict';
import {KnownDevices} from 'puppeteer-core';

import {chromium} from './engines.mjs';
import {ListenToTheSound, PageTimeExpression, StartText, TimeLinePattern, audioState, pageUrl, waitForOverlay,
        waitForPageTime, waitUntil} from './page_checks.mjs';

const BarHeight = 32;  // the status line's bar under the canvas (index.html)

// What an iPhone's Safari has and lacks, set up before the page loads.
function likeIphoneSafari() {
    delete Element.prototype.requestFullscreen;
    Object.defineProperty(Document.prototype, 'fullscreenEnabled', {get: () => false});
    const session = {declared: []};
    Object.defineProperty(session, 'type', {
        get: () => session.declared.at(-1)?.type ?? 'auto',
        set: type => session.declared.push({type, inGesture: navigator.userActivation.isActive}),
    });
    Object.defineProperty(Navigator.prototype, 'audioSession', {get: () => session});
}

const Phones = [
    {device: 'iPhone 13', safari: true},
    {device: 'iPhone 13 landscape', safari: true},
    {device: 'Pixel 5', safari: false},
    {device: 'Pixel 5 landscape', safari: false},
];

describe('the invite page on phones (chromium\'s emulation)', () => {
    for (const {device, safari} of Phones) {
        it(`${device}${safari ? ' (as Safari)' : ''}: a tap starts it with sound, and it fits the screen`, async () => {
            const browser = await chromium.launch();
            try {
                const tab = await browser.open(pageUrl, {beforeLoad: async page => {
                    await page.emulate(KnownDevices[device]);
                    if (safari) await page.evaluateOnNewDocument(likeIphoneSafari);
                }});
                await waitForOverlay(tab, StartText);
                await tab.evaluate(ListenToTheSound);
                await tab.page.tap('#overlay');
                await waitForPageTime(tab, 0.5, 10000);
                assert.equal((await audioState(tab))?.state, 'running');
                const peak = await waitUntil(tab, 'the sound', 'window.inviteTestSound?.peak > 0.01 && inviteTestSound.peak', 10000);
                assert.ok(peak > 0.01);

                const screen = await tab.evaluate(`(() => {
                    const box = element => {
                        const r = document.getElementById(element).getBoundingClientRect();
                        return {left: r.left, top: r.top, right: r.right, bottom: r.bottom,
                                width: r.width, height: r.height};
                    };
                    const line = document.getElementById('time-line');
                    const button = document.getElementById('fullscreen');
                    scrollTo(200, 0);
                    return {width: innerWidth, height: innerHeight, canvas: box('canvas'), line: box('time-line'),
                            lineFontPx: parseFloat(getComputedStyle(line).fontSize),
                            lineClipped: line.scrollWidth > line.clientWidth, lineText: line.textContent,
                            pageWidth: document.documentElement.scrollWidth, scrolledX: scrollX,
                            fullscreenButton: !button.hidden && button.offsetWidth > 0,
                            audioSession: navigator.audioSession?.declared ?? null};
                })()`);
                const about = JSON.stringify(screen);
                const {canvas, line} = screen;
                assert.ok(Math.abs(canvas.width / canvas.height - 1.6) < 0.01, `the aspect is kept: ${about}`);
                assert.ok(canvas.left >= 0 && canvas.right <= screen.width && canvas.top >= 0 &&
                          canvas.bottom <= screen.height, `the canvas is on the screen: ${about}`);
                if (screen.width < screen.height) {
                    assert.ok(canvas.width >= screen.width - 1, `the canvas fills the width: ${about}`);
                } else {
                    assert.ok(canvas.height >= screen.height - BarHeight - 1,
                              `the canvas fills the height above the status line: ${about}`);
                }
                assert.ok(screen.pageWidth <= screen.width && screen.scrolledX === 0, `nothing scrolls sideways: ${about}`);
                assert.match(screen.lineText, TimeLinePattern);
                assert.ok(screen.lineFontPx >= 12 && !screen.lineClipped && line.left >= 0 &&
                          line.right <= screen.width && line.top >= canvas.bottom - 1 && line.bottom <= screen.height,
                          `the status line is readable: ${about}`);
                assert.equal(screen.fullscreenButton, !safari, `the fullscreen button: ${about}`);
                if (safari) {
                    assert.deepEqual(screen.audioSession, [{type: 'playback', inGesture: true}],
                                     'the page plays as a player, declared in the tap');
                }
                assert.ok(await tab.evaluate(`(${PageTimeExpression}) > 0.5`));
                assert.deepEqual(tab.problems, []);
            } finally {
                await browser.close();
            }
        });
    }
});
