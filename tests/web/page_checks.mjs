// What the web tests read from the page and from the native invite-tool, for
// any engine's tab (see engines.mjs). Environment:
//   INVITE_WEB_URL   the page (default http://127.0.0.1:8025/)
//   INVITE_TOOL      the native invite-tool, for reference frames and songs
//   INVITE_WEB_OUT   where pictures and figures go (default a temp folder)
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {crop, decodePng} from './png.mjs';

export const pageUrl = process.env.INVITE_WEB_URL ?? 'http://127.0.0.1:8025/';
export const outDir = process.env.INVITE_WEB_OUT ?? fs.mkdtempSync(path.join(os.tmpdir(), 'invite-web-'));
fs.mkdirSync(outDir, {recursive: true});
const inviteTool = process.env.INVITE_TOOL ?? path.resolve('../../build/tools/invite-tool/invite-tool');

export const StartText = 'click or press a key to start';

export const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

// Figures measured by a test file, written to OUT/figures-NAME.json at the end.
export function figureBook(name) {
    const figures = {};
    return {
        figures,
        write() {
            fs.writeFileSync(path.join(outDir, `figures-${name}.json`), JSON.stringify(figures, null, 1) + '\n');
            console.log(`web figures (${name}): ${JSON.stringify(figures)}`);
        },
    };
}

export async function waitUntil(tab, what, expression, timeout) {
    const deadline = Date.now() + timeout;
    for (;;) {
        const value = await tab.evaluate(expression);
        if (value) return value;
        if (Date.now() > deadline) throw new Error(`timed out after ${timeout} ms waiting for ${what}`);
        await sleep(20);
    }
}

export const overlayText = tab => tab.evaluate(`(() => {
    const overlay = document.getElementById('overlay');
    return overlay.hidden ? null : document.getElementById('message').textContent;
})()`);

export const waitForOverlay = (tab, text, timeout = 15000) => waitUntil(tab, `"${text}" on the page`, `(() => {
    const overlay = document.getElementById('overlay');
    return !overlay.hidden && document.getElementById('message').textContent.includes(${JSON.stringify(text)});
})()`, timeout);

// The page's own t: the status line under the canvas, "Time: <t>", t in
// the fewest digits that give it back (0.52, not 0.520).
export const TimeLinePattern = /^Time: (\d+(?:\.\d+)?)$/;
export const PageTimeExpression = `(() => {
    const match = ${TimeLinePattern}.exec(document.getElementById('time-line').textContent);
    return match ? Number(match[1]) : null;
})()`;
export const pageTime = tab => tab.evaluate(PageTimeExpression);

export async function waitForPageTime(tab, atLeast, timeout) {
    await waitUntil(tab, `the page's t to reach ${atLeast} s`, `(${PageTimeExpression} ?? -1) >= ${atLeast}`, timeout);
    return pageTime(tab);
}

export const audioState = tab => tab.evaluate(`(() => {
    const context = window.Module && Module.SDL2 && Module.SDL2.audioContext;
    return context ? {state: context.state, rate: context.sampleRate, time: context.currentTime,
                      song: Module.inviteSong ?? null} : null;
})()`);

export function referenceFrame(t) {
    const file = path.join(outDir, `reference-${t.toFixed(3)}.png`);
    if (!fs.existsSync(file)) execFileSync(inviteTool, ['frame', t.toFixed(3), file, '--seed', '1']);
    return fs.readFileSync(file);
}

// The song the replayer renders at `rate`, as the native tool writes it:
// 16-bit mono samples.
const songs = new Map();
export function nativeSong(rate) {
    if (!songs.has(rate)) {
        const file = path.join(outDir, `song-${rate}.raw`);
        execFileSync(inviteTool, ['song', file, '--raw', '--rate', String(rate)]);
        const bytes = fs.readFileSync(file);
        fs.rmSync(file);
        songs.set(rate, new Int16Array(bytes.buffer, bytes.byteOffset, bytes.length / 2));
    }
    return songs.get(rate);
}

// The reference times to try for a screenshot taken between two readings of
// the page's t: the status line shows the frame before the one on screen at
// most, and the picture is one of the frames drawn in between.
export function candidateTimes(before, after) {
    const from = before - 0.03, to = after + 0.05;
    const step = Math.max(0.004, (to - from) / 40);  // at most about 40 frames to render
    const times = [];
    for (let t = from; t <= to + 1e-9; t += step) times.push(Math.max(0.001, t));
    return times;
}

// The canvas's pixels as the screen shows them: cut from a screenshot of the
// viewport at the canvas's place.
export async function canvasPicture(tab) {
    const box = await tab.evaluate(`(() => {
        const r = document.getElementById('canvas').getBoundingClientRect();
        const scale = devicePixelRatio;
        return {x: r.x * scale, y: r.y * scale, width: r.width * scale, height: r.height * scale};
    })()`);
    const png = await tab.screenshot();
    return {png, box, pixels: crop(decodePng(png), box)};
}

// Listens to the sound the page makes, from before the click: every
// ScriptProcessorNode the page makes (SDL's output) is tapped by an analyser.
// window.inviteTestSound records the loudest sample so far, and its hear()
// reads, at one instant, the demo's t, the audio clock, the page's clock
// (performance.now()), the output latency the page allows for and the last
// HeardSamples samples the output rendered. window.inviteLatencyReadings
// counts the page's readings of AudioContext.outputLatency.
export const HeardSamples = 4096;
export const ListenToTheSound = `(() => {
    const latency = Object.getOwnPropertyDescriptor(AudioContext.prototype, 'outputLatency');
    window.inviteLatencyReadings = 0;
    if (latency) {
        Object.defineProperty(AudioContext.prototype, 'outputLatency', {configurable: true, get() {
            ++window.inviteLatencyReadings;
            return latency.get.call(this);
        }});
    }
    const make = AudioContext.prototype.createScriptProcessor ??
                 BaseAudioContext.prototype.createScriptProcessor;
    AudioContext.prototype.createScriptProcessor = function (...args) {
        const node = make.apply(this, args);
        const context = this;
        const analyser = context.createAnalyser();
        analyser.fftSize = 32768;
        node.connect(analyser);
        const block = new Float32Array(analyser.fftSize);
        const record = window.inviteTestSound = {
            peak: 0,
            hear() {
                const t = window.inviteDemoTime(), clock = context.currentTime, now = performance.now();
                analyser.getFloatTimeDomainData(block);
                return {t, clock, now, rate: context.sampleRate,
                        latency: window.inviteOutputLatency(context),
                        samples: Array.from(block.subarray(block.length - ${HeardSamples}))};
            },
        };
        const timer = setInterval(() => {
            if (context.state === 'closed') {
                clearInterval(timer);
                return;
            }
            analyser.getFloatTimeDomainData(block);
            for (let i = 0; i < block.length; ++i) record.peak = Math.max(record.peak, Math.abs(block[i]));
        }, 100);
        return node;
    };
    return true;
})()`;

// Where in the song the samples of a hear() reading are, searched within
// `around` seconds of the song position `expected`: the song position (in
// seconds) of the sample after the last one, or null when the samples are
// not the song's there. The page plays the song's 16-bit samples as floats
// (v / 32768), so they match to the last bit but for rounding.
export function songPositionOf(samples, rate, expected, around = 3) {
    const song = nativeSong(rate);
    const wanted = samples.map(v => Math.round(v * 32768));
    // A loud sample to anchor the search on: silence matches anywhere.
    let anchor = 0;
    for (let i = 1; i < wanted.length; ++i) if (Math.abs(wanted[i]) > Math.abs(wanted[anchor])) anchor = i;
    if (Math.abs(wanted[anchor]) < 64) return null;
    const from = Math.max(0, Math.round((expected - around) * rate) - wanted.length);
    const to = Math.min(song.length - wanted.length, Math.round((expected + around) * rate));
    let best = null;
    for (let p = from; p <= to; ++p) {
        if (Math.abs(song[p + anchor] - wanted[anchor]) > 1) continue;
        let i = 0;
        while (i < wanted.length && Math.abs(song[p + i] - wanted[i]) <= 1) ++i;
        if (i === wanted.length &&
            (best === null || Math.abs(p - expected * rate) < Math.abs(best - expected * rate))) best = p;
    }
    return best === null ? null : (best + wanted.length) / rate;
}

// Times each animation-frame callback from the next one on (the demo's
// frame loop is one): window.inviteFrameCosts gets [ms, demo t] pairs.
export const TimeTheFrames = `(() => {
    const original = window.requestAnimationFrame.bind(window);
    const costs = window.inviteFrameCosts = [];
    window.requestAnimationFrame = callback => original(now => {
        const began = performance.now();
        callback(now);
        const t = window.inviteDemoTime ? window.inviteDemoTime() : null;
        if (t !== null && costs.length < 20000) costs.push([performance.now() - began, t]);
    });
    return true;
})()`;

// The scenes' spans of demo time, for figures by scene.
export const SceneSpans = [[0, 12, 'signature'], [12, 18, 'signature, wave'], [18, 30, 'wave, slogan'],
                           [30, 63, 'invitation'], [63, 90, 'greetings'], [90, 114, 'signature again']];

// The median and 95th percentile frame cost (ms) in each scene's span.
export function frameCostsByScene(costs) {
    const result = {};
    for (const [from, to, name] of SceneSpans) {
        const ms = costs.filter(([, t]) => t >= from && t < to).map(([cost]) => cost).sort((a, b) => a - b);
        if (ms.length < 10) continue;
        result[`${from}-${to} s ${name}`] = {median: Number(ms[ms.length >> 1].toFixed(2)),
                                             p95: Number(ms[Math.floor(0.95 * ms.length)].toFixed(2)),
                                             frames: ms.length};
    }
    return result;
}
