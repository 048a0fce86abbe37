// The page in Debian's headless chromium, where the tests can reach what
// the other engines do not show: what happens before a gesture, other window
// sizes and fullscreen, browsers without WebAssembly or Web Audio, the
// page's size and the module's memory. The visit itself runs in every
// engine (engine_test.mjs); phones are in phone_test.mjs.
import {after, describe, it} from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import zlib from 'node:zlib';

import {chromium} from './engines.mjs';
import {memoryLimits} from './wasm_memory.mjs';
import {StartText, audioState, figureBook, overlayText, pageTime, pageUrl, sleep, waitForOverlay,
        waitForPageTime} from './page_checks.mjs';

const MiB = 1024 * 1024;
// The module's heap may grow to this (app/web/CMakeLists.txt), which holds
// the song rendered at this rate.
const HeapCapBytes = 64 * MiB;
const HighestRate = 192000;

const book = figureBook('chromium');
const figures = book.figures;

// Runs `body(tab)` on the page in a fresh chromium.
async function inChromium(options, body, {url = pageUrl, beforeLoad} = {}) {
    const browser = await chromium.launch(options);
    try {
        const tab = await browser.open(url, {beforeLoad});
        await body(tab);
    } finally {
        await browser.close();
    }
}

describe('the invite page in chromium', () => {
    it('loads with its start screen and no console error, its canvas 640 x 400 and sharp', () =>
        inChromium({}, async tab => {
            await waitForOverlay(tab, StartText);
            assert.equal(await overlayText(tab), StartText);
            assert.equal(await tab.evaluate('document.title'), 'tiral25-invite');
            const canvas = await tab.evaluate(`(() => { const c = document.getElementById('canvas');
                return {width: c.width, height: c.height, rendering: getComputedStyle(c).imageRendering}; })()`);
            assert.deepEqual(canvas, {width: 640, height: 400, rendering: 'pixelated'});
            // The page's icon is the program's own (tools/icongen), its 32 x 32 PNG inline.
            const favicon = fs.readFileSync(new URL('../../assets/icon/favicon-data-url.txt', import.meta.url),
                                            'utf8').trim();
            const icon = await tab.evaluate(`(async () => {
                const link = document.querySelector('link[rel=icon]');
                const image = new Image();
                image.src = link.href;
                await image.decode();
                return {href: link.href, width: image.naturalWidth, height: image.naturalHeight}; })()`);
            assert.deepEqual(icon, {href: favicon, width: 32, height: 32});
            assert.ok(await tab.evaluate(`(() => { const b = document.getElementById('fullscreen');
                return !b.hidden && b.offsetWidth > 0; })()`));
            // Nothing plays before the gesture: no audio context yet, no time line.
            assert.equal(await audioState(tab), null);
            assert.equal(await tab.evaluate(`document.getElementById('time-line').textContent`), '');
            await sleep(500);
            assert.equal(await overlayText(tab), StartText, 'it must wait for a gesture');
            // Without a gesture this browser keeps new audio contexts suspended.
            assert.equal(await tab.evaluate(`(() => {
                const probe = new AudioContext();
                const state = probe.state;
                probe.close();
                return state;
            })()`), 'suspended');
            assert.deepEqual(tab.problems, []);
        }));

    it('keeps the canvas\'s aspect and its 640 x 400 pixels at other window sizes', () =>
        inChromium({autoplay: true}, async tab => {
            await waitForPageTime(tab, 0.2, 10000);
            for (const viewport of [{width: 1280, height: 720}, {width: 700, height: 900}]) {
                await tab.page.setViewport(viewport);
                await tab.evaluate('new Promise(requestAnimationFrame)');
                const box = await tab.evaluate(`(() => {
                    const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
                    return {width: r.width, height: r.height, right: r.right, bottom: r.bottom,
                            pixels: [c.width, c.height]};
                })()`);
                assert.deepEqual(box.pixels, [640, 400]);
                assert.ok(Math.abs(box.width / box.height - 1.6) < 0.01, JSON.stringify(box));
                assert.ok(box.right <= viewport.width && box.bottom <= viewport.height, JSON.stringify(box));
                assert.ok(box.width >= 0.9 * Math.min(viewport.width, 1.6 * viewport.height) - 80,
                          `the canvas fills the room: ${JSON.stringify(box)}`);
            }
            await tab.click('#fullscreen');
            await tab.page.waitForFunction(() => document.fullscreenElement?.id === 'stage', {timeout: 5000});
            assert.deepEqual(tab.problems, []);
        }, {url: pageUrl + '#autostart'}));

    it('#autostart waits for a gesture where the browser does not allow sound', () =>
        inChromium({}, async tab => {
            await waitForOverlay(tab, StartText);
            await sleep(500);
            assert.equal(await overlayText(tab), StartText);
            assert.equal(await pageTime(tab), null);
            await tab.press('Enter');
            await waitForPageTime(tab, 0.2, 5000);
            assert.equal((await audioState(tab))?.state, 'running');
            assert.deepEqual(tab.problems, []);
        }, {url: pageUrl + '#autostart'}));

    it('tells a browser without WebAssembly so, instead of a blank canvas', () =>
        // Without its JIT, V8 offers no WebAssembly (as in locked-down browsers).
        inChromium({extraArgs: ['--js-flags=--jitless']}, async tab => {
            assert.equal(await tab.evaluate('typeof WebAssembly'), 'undefined');
            await waitForOverlay(tab, 'does not run WebAssembly');
            assert.deepEqual(tab.problems, []);
        }));

    it('tells a browser without Web Audio so, instead of a blank canvas', () =>
        inChromium({}, async tab => {
            await waitForOverlay(tab, 'has no Web Audio');
            assert.deepEqual(tab.problems, []);
        }, {beforeLoad: page => page.evaluateOnNewDocument(() => {
            delete window.AudioContext;
            delete window.webkitAudioContext;
        })}));

    it('is well under 1 MB compressed', async () => {
        const files = ['index.html', 'tiral25-invite.js', 'tiral25-invite.wasm'];
        let raw = 0, compressed = 0;
        for (const file of files) {
            const response = await fetch(new URL(file, pageUrl));
            assert.equal(response.status, 200, file);
            const bytes = Buffer.from(await response.arrayBuffer());
            raw += bytes.length;
            compressed += zlib.gzipSync(bytes, {level: 9}).length;
        }
        figures.pageBytes = raw;
        figures.pageBytesGzip = compressed;
        assert.ok(compressed < 600_000, `${compressed} bytes gzipped`);
    });

    // Phones refuse to reserve a large heap: the module's is capped at what
    // the demo needs, with room to spare, at the highest rate a browser is
    // likely to run its audio context at.
    it(`caps its heap at ${HeapCapBytes / MiB} MiB, and plays with the song rendered at ${HighestRate} Hz`, async () => {
        const wasm = Buffer.from(await (await fetch(new URL('tiral25-invite.wasm', pageUrl))).arrayBuffer());
        const limits = memoryLimits(wasm);
        figures.heapInitialMiB = limits.initial / MiB;
        figures.heapCapMiB = limits.maximum / MiB;
        assert.equal(limits.maximum, HeapCapBytes);
        await inChromium({}, async tab => {
            await waitForOverlay(tab, StartText);
            await tab.click('#overlay');
            await waitForPageTime(tab, 0.5, 15000);
            const audio = await audioState(tab);
            assert.equal(audio?.state, 'running');
            assert.equal(audio.song.rate, HighestRate);
            const used = await tab.evaluate('Module.HEAP8.length');
            figures[`heapAt${HighestRate}HzMiB`] = Number((used / MiB).toFixed(1));
            assert.ok(used <= HeapCapBytes, `${used} bytes`);
            assert.deepEqual(tab.problems, []);
        }, {beforeLoad: page => page.evaluateOnNewDocument(rate => {
            const Native = window.AudioContext;
            window.AudioContext = class extends Native {
                constructor(options) { super({...options, sampleRate: rate}); }
            };
        }, HighestRate)});
    });
});

after(() => book.write());
