// See web_bench.sh. Arguments: the page's URL, the song bench's URL, seconds of demo to time.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import {createRequire} from 'node:module';

const require = createRequire(path.join(process.cwd(), 'package.json'));
const puppeteer = require('puppeteer-core');
const [pageUrl, songUrl, secondsText] = process.argv.slice(2);
const seconds = Number(secondsText);
const flags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--enable-unsafe-swiftshader'];

async function withBrowser(extra, body) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'invite-bench-'));
    const browser = await puppeteer.launch({executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
        headless: true, args: [...flags, `--user-data-dir=${profile}`, ...extra]});
    try {
        return await body(browser);
    } finally {
        await browser.close();
        fs.rmSync(profile, {recursive: true, force: true});
    }
}
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));
const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// Size.
let raw = 0, gzip = 0, brotli = 0;
for (const file of ['index.html', 'tiral25-invite.js', 'tiral25-invite.wasm']) {
    const bytes = Buffer.from(await (await fetch(new URL(file, pageUrl))).arrayBuffer());
    const g = zlib.gzipSync(bytes, {level: 9}).length;
    const b = zlib.brotliCompressSync(bytes).length;
    console.log(`size: ${file.padEnd(20)} ${String(bytes.length).padStart(8)} bytes, gzip ${g}, brotli ${b}`);
    raw += bytes.length; gzip += g; brotli += b;
}
console.log(`size: whole page           ${String(raw).padStart(8)} bytes, gzip ${gzip}, brotli ${brotli}`);

// Start screen and first frame, five fresh visits, the click path.
const toStart = [], toFrame = [];
for (let visit = 0; visit < 5; ++visit) {
    await withBrowser(['--autoplay-policy=document-user-activation-required'], async browser => {
        const page = await browser.newPage();
        await page.setViewport({width: 672, height: 464});
        await page.goto(pageUrl, {waitUntil: 'load'});
        await page.waitForFunction(() => window.inviteTimings?.startScreenMs !== undefined);
        await page.click('#overlay');
        await page.waitForFunction(() => window.inviteTimings?.clickToFirstFrameMs !== undefined);
        const timings = await page.evaluate(() => window.inviteTimings);
        toStart.push(timings.startScreenMs);
        toFrame.push(timings.clickToFirstFrameMs);
    });
}
console.log(`page load to start screen: median ${median(toStart).toFixed(0)} ms (${toStart.map(v => v.toFixed(0)).join(', ')})`);
console.log(`click to first frame:      median ${median(toFrame).toFixed(0)} ms (${toFrame.map(v => v.toFixed(0)).join(', ')})`);

// The song alone.
await withBrowser([], async browser => {
    const page = await browser.newPage();
    await page.goto(songUrl, {waitUntil: 'load'});
    await page.waitForFunction(() => document.title.startsWith('done'), {timeout: 120000});
    console.log('song render in the browser (best of 3): ' + (await page.title()).slice(6));
});

// Frame cost: the time inside each animation-frame callback, by scene.
await withBrowser(['--autoplay-policy=no-user-gesture-required'], async browser => {
    const page = await browser.newPage();
    await page.setViewport({width: 672, height: 464});
    await page.evaluateOnNewDocument(() => {
        const original = window.requestAnimationFrame.bind(window);
        window.frameCosts = [];
        window.requestAnimationFrame = callback => original(now => {
            const began = performance.now();
            callback(now);
            const line = document.getElementById('time-line')?.textContent ?? '';
            window.frameCosts.push([performance.now() - began, line, began]);
        });
    });
    await page.goto(pageUrl + '#autostart', {waitUntil: 'load'});
    await sleep(seconds * 1000);
    const costs = await page.evaluate(() => window.frameCosts);
    const running = costs.filter(c => /^Time: /.test(c[1])).map(c => [c[0], Number(c[1].slice(6)), c[2]]);
    const spans = [[0, 12, 'signature'], [12, 18, 'signature, wave'], [18, 30, 'wave, slogan'],
                   [30, 63, 'invitation'], [63, 90, 'greetings'], [90, 114, 'signature again']];
    for (const [from, to, name] of spans) {
        const inside = running.filter(([, t]) => t >= from && t < to);
        if (inside.length < 10) continue;
        const ms = inside.map(([cost]) => cost);
        const sorted = [...ms].sort((a, b) => a - b);
        const rate = (inside.length - 1) / ((inside.at(-1)[2] - inside[0][2]) / 1000);
        console.log(`frame cost, ${from}-${to} s (${name}): median ${median(ms).toFixed(2)} ms, ` +
                    `p95 ${sorted[Math.floor(0.95 * sorted.length)].toFixed(2)} ms, ` +
                    `${rate.toFixed(1)} frames/s over ${inside.length} frames`);
    }
});
