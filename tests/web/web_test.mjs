// The web build in a real browser: Debian's chromium, headless, driven by
// puppeteer-core, against the page that scripts/serve-web.sh serves.
// scripts/test-web.sh starts the server and runs this file with node's test
// runner. Environment:
//   INVITE_WEB_URL   the page (default http://127.0.0.1:8025/)
//   INVITE_TOOL      the native invite-tool, for reference frames and songs
//   CHROMIUM         the browser (default /usr/bin/chromium)
//   INVITE_WEB_OUT   where failing pictures and figures go (default a temp folder)
import {after, before, describe, it} from 'node:test';
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

import {matches, pictureScorer} from './picture_match.mjs';

const pageUrl = process.env.INVITE_WEB_URL ?? 'http://127.0.0.1:8025/';
const inviteTool = process.env.INVITE_TOOL ?? path.resolve('../../build/tools/invite-tool/invite-tool');
const chromium = process.env.CHROMIUM ?? '/usr/bin/chromium';
const outDir = process.env.INVITE_WEB_OUT ?? fs.mkdtempSync(path.join(os.tmpdir(), 'invite-web-'));
fs.mkdirSync(outDir, {recursive: true});

const StartText = 'click or press a key to start';
// 640 x 400 at a scale of exactly 1: the room beside and below the canvas
// (margins and the status bar) is what the page keeps free.
const Viewport = {width: 672, height: 464};
const PictureTimes = [1, 15, 25, 40, 70];  // seconds of demo time

// The closed network, no first-run or background traffic; a fresh profile.
const RequiredFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
    '--no-first-run', '--disable-background-networking', '--disable-component-update',
    '--disable-sync'];

const figures = {};  // measured, written to figures.json at the end

async function launch({autoplay = false, extraArgs = []} = {}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'invite-chromium-'));
    const browser = await puppeteer.launch({
        executablePath: chromium,
        headless: true,
        args: [...RequiredFlags, `--user-data-dir=${profile}`,
               // WebGL on the CPU, which SDL's GLES2 renderer draws with.
               '--enable-unsafe-swiftshader',
               // Sound with or without a gesture first, as a browser may be set.
               autoplay ? '--autoplay-policy=no-user-gesture-required'
                        : '--autoplay-policy=document-user-activation-required',
               ...extraArgs],
    });
    const close = async () => {
        await browser.close();
        fs.rmSync(profile, {recursive: true, force: true});
    };
    return {browser, close};
}

// A page with its console errors, page errors, failed requests and every
// request it makes recorded.
async function openPage(browser, url = pageUrl, {beforeLoad} = {}) {
    const page = await browser.newPage();
    const problems = [];
    const requests = [];
    page.on('console', message => {
        if (message.type() === 'error') problems.push('console error: ' + message.text());
    });
    page.on('pageerror', error => problems.push('page error: ' + error.message));
    page.on('requestfailed', request => problems.push('request failed: ' + request.url()));
    page.on('request', request => requests.push({url: request.url(), at: Date.now()}));
    await page.setViewport(Viewport);
    if (beforeLoad) await beforeLoad(page);
    await page.goto(url, {waitUntil: 'load'});
    return {page, problems, requests};
}

// Reads the page without acting as the user: puppeteer's own evaluate
// counts as a user gesture, which would let the page make sound and spoil
// every check of what happens before a click or a key press.
async function quietly(page, expression) {
    page.quietSession ??= await page.createCDPSession();
    const {result, exceptionDetails} = await page.quietSession.send('Runtime.evaluate', {
        expression, returnByValue: true, awaitPromise: true, userGesture: false});
    if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description}`);
    return result.value;
}

async function waitUntil(page, what, expression, timeout) {
    const deadline = Date.now() + timeout;
    for (;;) {
        const value = await quietly(page, expression);
        if (value) return value;
        if (Date.now() > deadline) throw new Error(`timed out after ${timeout} ms waiting for ${what}`);
        await new Promise(resolve => setTimeout(resolve, 20));
    }
}

const overlayText = page => quietly(page, `(() => {
    const overlay = document.getElementById('overlay');
    return overlay.hidden ? null : document.getElementById('message').textContent;
})()`);

const waitForOverlay = (page, text, timeout = 15000) => waitUntil(page, `"${text}" on the page`, `(() => {
    const overlay = document.getElementById('overlay');
    return !overlay.hidden && document.getElementById('message').textContent.includes(${JSON.stringify(text)});
})()`, timeout);

// The page's own t: the status line under the canvas, "Time: <t>".
const PageTimeExpression = `(() => {
    const match = /^Time: (\\d+(?:\\.\\d+)?)$/.exec(document.getElementById('time-line').textContent);
    return match ? Number(match[1]) : null;
})()`;
const pageTime = page => quietly(page, PageTimeExpression);

async function waitForPageTime(page, atLeast, timeout) {
    await waitUntil(page, `the page's t to reach ${atLeast} s`,
                    `(${PageTimeExpression} ?? -1) >= ${atLeast}`, timeout);
    return pageTime(page);
}

const audioState = page => quietly(page, `(() => {
    const context = window.Module && Module.SDL2 && Module.SDL2.audioContext;
    return context ? {state: context.state, rate: context.sampleRate, time: context.currentTime,
                      song: Module.inviteSong ?? null} : null;
})()`);

function referenceFrame(t) {
    const file = path.join(outDir, `reference-${t.toFixed(3)}.png`);
    execFileSync(inviteTool, ['frame', t.toFixed(3), file, '--seed', '1']);
    return fs.readFileSync(file);
}

// The samples the replayer renders at `rate`: the length of the native
// tool's raw 16-bit output.
function nativeSongSamples(rate) {
    const file = path.join(outDir, `song-${rate}.raw`);
    execFileSync(inviteTool, ['song', file, '--raw', '--rate', String(rate)]);
    const samples = fs.statSync(file).size / 2;
    fs.rmSync(file);
    return samples;
}

// The reference times to try for a screenshot taken between two readings of
// the page's t: the status line shows the frame before the one on screen at
// most, and the picture is one of the frames drawn in between.
function candidateTimes(before, after) {
    const from = before - 0.03, to = after + 0.05;
    const step = Math.max(0.004, (to - from) / 40);  // at most about 40 frames to render
    const times = [];
    for (let t = from; t <= to + 1e-9; t += step) times.push(Math.max(0.001, t));
    return times;
}

async function canvasScreenshot(page) {
    const box = await page.$eval('#canvas', canvas => {
        const r = canvas.getBoundingClientRect();
        return {x: r.x, y: r.y, width: r.width, height: r.height};
    });
    return Buffer.from(await page.screenshot({clip: box, type: 'png'}));
}

describe('the invite page', () => {
    it('loads with its start screen and no console error, its canvas 640 x 400 and sharp', async () => {
        const {browser, close} = await launch();
        try {
            const started = Date.now();
            const {page, problems} = await openPage(browser);
            await waitForOverlay(page, StartText);
            figures.loadToStartScreenMs = await quietly(page, 'window.inviteTimings.startScreenMs');
            figures.loadToStartScreenWallMs = Date.now() - started;
            assert.equal(await overlayText(page), StartText);
            assert.equal(await page.title(), 'tiral25-invite');
            const canvas = await quietly(page, `(() => { const c = document.getElementById('canvas');
                return {width: c.width, height: c.height, rendering: getComputedStyle(c).imageRendering}; })()`);
            assert.deepEqual(canvas, {width: 640, height: 400, rendering: 'pixelated'});
            // The page's icon is the program's own (tools/icongen), its 32 x 32 PNG inline.
            const favicon = fs.readFileSync(new URL('../../assets/icon/favicon-data-url.txt', import.meta.url),
                                            'utf8').trim();
            const icon = await quietly(page, `(async () => {
                const link = document.querySelector('link[rel=icon]');
                const image = new Image();
                image.src = link.href;
                await image.decode();
                return {href: link.href, width: image.naturalWidth, height: image.naturalHeight}; })()`);
            assert.deepEqual(icon, {href: favicon, width: 32, height: 32});
            assert.ok(await quietly(page, `(() => { const b = document.getElementById('fullscreen');
                return !b.hidden && b.offsetWidth > 0; })()`));
            // Nothing plays before the gesture: no audio context yet, no time line.
            assert.equal(await audioState(page), null);
            assert.equal(await quietly(page, `document.getElementById('time-line').textContent`), '');
            await new Promise(resolve => setTimeout(resolve, 500));
            assert.equal(await overlayText(page), StartText, 'it must wait for a gesture');
            assert.deepEqual(problems, []);
        } finally {
            await close();
        }
    });

    describe('a visit: click, watch, Escape, play again', () => {
        let browser, close, page, problems, requests, scorer, loadedAt;
        before(async () => {
            ({browser, close} = await launch());
            // The scorer's blank page first: the invite's page, opened last, is
            // the visible tab (a hidden one gets no animation frames).
            scorer = await pictureScorer(browser);
            ({page, problems, requests} = await openPage(browser));
            await waitForOverlay(page, StartText);
            loadedAt = Date.now();
        });
        after(async () => {
            await scorer?.close();
            await close?.();
        });

        it('a click starts the demo at t = 0 with the song, at the audio context\'s rate', async () => {
            // Without a gesture this browser keeps new audio contexts suspended.
            assert.equal(await quietly(page, `(() => {
                const probe = new AudioContext();
                const state = probe.state;
                probe.close();
                return state;
            })()`), 'suspended');
            await page.click('#overlay');
            const first = await waitForPageTime(page, 0, 5000);
            assert.ok(first < 1.0, `the first time shown after the click is ${first} s`);
            assert.equal(await overlayText(page), null, 'the start screen is gone');
            figures.clickToFirstFrameMs = await quietly(page, 'window.inviteTimings.clickToFirstFrameMs');

            await waitForPageTime(page, 0.5, 5000);
            const audio = await audioState(page);
            assert.ok(audio, 'the page has an audio context');
            assert.equal(audio.state, 'running');
            assert.ok(audio.song, 'the page was told of the rendered song');
            assert.equal(audio.song.rate, audio.rate, 'the song is rendered at the context\'s rate');
            assert.equal(audio.song.samples, nativeSongSamples(audio.rate),
                         'the song has the length the replayer gives at that rate');
            figures.audioRate = audio.rate;
            figures.songSamples = audio.song.samples;

            // The sound is really there: SDL's output node carries the song.
            const loudest = await page.evaluate(async () => {
                const context = Module.SDL2.audioContext;
                const analyser = context.createAnalyser();
                analyser.fftSize = 2048;
                Module.SDL2.audio.scriptProcessorNode.connect(analyser);
                const block = new Float32Array(analyser.fftSize);
                let peak = 0;
                for (let i = 0; i < 20; ++i) {
                    await new Promise(resolve => setTimeout(resolve, 50));
                    analyser.getFloatTimeDomainData(block);
                    for (const v of block) peak = Math.max(peak, Math.abs(v));
                }
                Module.SDL2.audio.scriptProcessorNode.disconnect(analyser);
                return peak;
            });
            assert.ok(loudest > 0.01, `the output's peak is ${loudest}`);
            const later = await audioState(page);
            assert.ok(later.time > audio.time, 'the audio clock moves on');
        });

        it('shows what the offscreen frames show at 1, 15, 25, 40 and 70 s', async () => {
            let previous = -1;
            for (const target of PictureTimes) {
                await waitForPageTime(page, target, (target + 20) * 1000);
                const before = await pageTime(page);
                const shot = await canvasScreenshot(page);
                const after = await pageTime(page);
                assert.ok(after > previous, `the page's t moves on (${previous} -> ${after})`);
                previous = after;
                let best = null;
                for (const t of candidateTimes(before, after)) {
                    const score = await scorer.score(referenceFrame(t), shot);
                    if (!best || score.missing + score.extra < best.score.missing + best.score.extra) {
                        best = {t, score};
                    }
                }
                fs.writeFileSync(path.join(outDir, `page-${target}s.png`), shot);
                (figures.pictures ??= []).push({target, pageTime: [before, after],
                    matchedAt: Number(best.t.toFixed(3)), missing: Number(best.score.missing.toFixed(4)),
                    extra: Number(best.score.extra.toFixed(4))});
                assert.ok(matches(best.score),
                          `at t ~ ${target} s (page said ${before} .. ${after}) the canvas is not ` +
                          `the offscreen frame: best t ${best.t.toFixed(3)}, ${JSON.stringify(best.score)}; ` +
                          `see ${outDir}`);
            }
        });

        it('makes no request after the page has loaded', () => {
            const late = requests.filter(r => r.at > loadedAt).map(r => r.url);
            assert.deepEqual(late, []);
        });

        it('Escape ends the demo, and the page then offers to play again', async () => {
            await page.keyboard.press('Escape');
            await waitForOverlay(page, 'play again', 5000);
            // The last frame's line (drawn, not presented) may still be on
            // its way to the status line: let two animation frames pass.
            await quietly(page, 'new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))');
            const stopped = await pageTime(page);
            await new Promise(resolve => setTimeout(resolve, 400));
            assert.equal(await pageTime(page), stopped, 'the time line stands still');
            assert.equal(await audioState(page), null, 'the audio device is closed with its context');

            await page.keyboard.press('Space');
            await waitUntil(page, 'the start of the second run',
                            `document.getElementById('overlay').hidden && (${PageTimeExpression} ?? 1e9) < ${stopped}`,
                            5000);
            const again = await waitForPageTime(page, 0.3, 5000);
            assert.ok(again < 3, `played again from the start (t = ${again})`);
            assert.equal((await audioState(page))?.state, 'running');
            await page.keyboard.press('Escape');
            await waitForOverlay(page, 'play again', 5000);
            assert.deepEqual(problems, []);
        });
    });

    it('keeps the canvas\'s aspect and its 640 x 400 pixels at other window sizes', async () => {
        const {browser, close} = await launch({autoplay: true});
        try {
            const {page, problems} = await openPage(browser, pageUrl + '#autostart');
            await waitForPageTime(page, 0.2, 10000);
            for (const viewport of [{width: 1280, height: 720}, {width: 700, height: 900}]) {
                await page.setViewport(viewport);
                await page.evaluate(() => new Promise(requestAnimationFrame));
                const box = await page.$eval('#canvas', c => {
                    const r = c.getBoundingClientRect();
                    return {width: r.width, height: r.height, right: r.right, bottom: r.bottom,
                            pixels: [c.width, c.height]};
                });
                assert.deepEqual(box.pixels, [640, 400]);
                assert.ok(Math.abs(box.width / box.height - 1.6) < 0.01, JSON.stringify(box));
                assert.ok(box.right <= viewport.width && box.bottom <= viewport.height, JSON.stringify(box));
                assert.ok(box.width >= 0.9 * Math.min(viewport.width, 1.6 * viewport.height) - 80,
                          `the canvas fills the room: ${JSON.stringify(box)}`);
            }
            await page.click('#fullscreen');
            await page.waitForFunction(() => document.fullscreenElement?.id === 'stage', {timeout: 5000});
            assert.deepEqual(problems, []);
        } finally {
            await close();
        }
    });

    it('#autostart starts at once where the browser allows sound without a gesture', async () => {
        const {browser, close} = await launch({autoplay: true});
        try {
            const {page, problems} = await openPage(browser, pageUrl + '#autostart');
            const t = await waitForPageTime(page, 0.2, 10000);
            assert.ok(t < 5);
            assert.equal(await overlayText(page), null);
            assert.equal((await audioState(page))?.state, 'running');
            assert.deepEqual(problems, []);
        } finally {
            await close();
        }
    });

    it('#autostart waits for a gesture where the browser does not allow sound', async () => {
        const {browser, close} = await launch();
        try {
            const {page, problems} = await openPage(browser, pageUrl + '#autostart');
            await waitForOverlay(page, StartText);
            await new Promise(resolve => setTimeout(resolve, 500));
            assert.equal(await overlayText(page), StartText);
            assert.equal(await pageTime(page), null);
            await page.keyboard.press('Enter');
            await waitForPageTime(page, 0.2, 5000);
            assert.equal((await audioState(page))?.state, 'running');
            assert.deepEqual(problems, []);
        } finally {
            await close();
        }
    });

    it('tells a browser without WebAssembly so, instead of a blank canvas', async () => {
        // Without its JIT, V8 offers no WebAssembly (as in locked-down browsers).
        const {browser, close} = await launch({extraArgs: ['--js-flags=--jitless']});
        try {
            const {page, problems} = await openPage(browser);
            assert.equal(await quietly(page, 'typeof WebAssembly'), 'undefined');
            await waitForOverlay(page, 'does not run WebAssembly');
            assert.deepEqual(problems, []);
        } finally {
            await close();
        }
    });

    it('tells a browser without Web Audio so, instead of a blank canvas', async () => {
        const {browser, close} = await launch();
        try {
            const {page, problems} = await openPage(browser, pageUrl, {
                beforeLoad: page => page.evaluateOnNewDocument(() => {
                    delete window.AudioContext;
                    delete window.webkitAudioContext;
                }),
            });
            await waitForOverlay(page, 'has no Web Audio');
            assert.deepEqual(problems, []);
        } finally {
            await close();
        }
    });

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
});

after(() => {
    fs.writeFileSync(path.join(outDir, 'figures.json'), JSON.stringify(figures, null, 1) + '\n');
    console.log('web figures: ' + JSON.stringify(figures));
});
