// The same visit in every engine (engines.mjs): a click starts the demo at
// t = 0 with its song at the audio context's rate; the picture starts with
// the sound and follows it; the canvas shows what the offscreen frames show;
// no request after load; Escape ends it and it plays again. And #autostart
// where the browser lets the page make sound.
// Environment (besides page_checks.mjs's):
//   INVITE_WEB_ENGINES   the engines, comma-separated (default chromium)
//   INVITE_WEB_SOUND     a word for the sound setting of this run, in the
//                        test names and figures (test-web.sh: "pulseaudio" or
//                        "no sound server")
import {after, before, describe, it} from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';

import {Engines} from './engines.mjs';
import {ListenToTheSound, PageTimeExpression, StartText, audioState, canvasPicture, candidateTimes,
        figureBook, nativeSong, outDir, overlayText, pageTime, pageUrl, referenceFrame, sleep,
        TimeTheFrames, frameCostsByScene, songPositionOf, waitForOverlay, waitForPageTime, waitUntil}
        from './page_checks.mjs';
import {matches, score} from './picture_match.mjs';

const engineNames = (process.env.INVITE_WEB_ENGINES ?? 'chromium').split(',').filter(Boolean);
const NoSoundServer = 'no sound server';
const sound = process.env.INVITE_WEB_SOUND ?? 'as it is';
const PictureTimes = [1, 15, 25, 40, 70];  // seconds of demo time
// From a second after the click on, the demo's t and the song heard agree
// this closely (seconds).
const LargestSoundOffset = 0.05;

const book = figureBook(`${engineNames.join('-')}-${sound.replace(/\W+/g, '-')}`);

for (const name of engineNames) {
    const engine = Engines[name];
    if (!engine) throw new Error(`no such engine: ${name} (there are ${Object.keys(Engines).join(', ')})`);
    const figures = book.figures[name] = {};

    if (sound === NoSoundServer && !engine.playsWithoutSoundServer) {
        it(`${name} (${sound}): the audio context cannot run, and the picture plays on its own after a short wait`,
           async () => {
            const browser = await engine.launch();
            try {
                const tab = await browser.open(pageUrl);
                await waitForOverlay(tab, StartText);
                const clicked = Date.now();
                await tab.click('#overlay');
                assert.equal(await waitForPageTime(tab, 0, 5000), 0, 'the first frame is at t = 0');
                assert.equal(await overlayText(tab), null, 'the start screen is gone');
                await sleep(500);
                assert.equal(await tab.evaluate('window.inviteDemoTime()'), 0, 'the picture waits for the sound');
                await waitForPageTime(tab, 0.5, 15000);
                figures.clickToPictureAloneMs = Date.now() - clicked;
                assert.equal((await audioState(tab))?.state, 'suspended');
                await tab.press('Escape');
                await waitForOverlay(tab, 'play again', 5000);
                assert.deepEqual(tab.problems, []);
            } finally {
                await browser.close();
            }
        });
        continue;
    }

    describe(`${name} (${sound}): a visit: click, watch, Escape, play again`, () => {
        let browser, tab, loadedAt, clickedAt;
        before(async () => {
            browser = await engine.launch();
            const opened = Date.now();
            tab = await browser.open(pageUrl);
            await waitForOverlay(tab, StartText);
            figures.loadToStartScreenMs = Math.round(await tab.evaluate('window.inviteTimings.startScreenMs'));
            figures.loadToStartScreenWallMs = Date.now() - opened;
            loadedAt = Date.now();
            await tab.evaluate(ListenToTheSound);
            await tab.evaluate(TimeTheFrames);
        });
        after(async () => {
            await browser?.close();
        });

        it('a click starts the demo at t close to 0, with its song at the audio context\'s rate', async () => {
            clickedAt = Date.now();
            await tab.click('#overlay');
            const first = await waitForPageTime(tab, 0, 5000);
            assert.ok(first < 1.0, `the first time shown after the click is ${first} s`);
            assert.equal(await overlayText(tab), null, 'the start screen is gone');
            figures.clickToFirstFrameMs = Math.round(await tab.evaluate('window.inviteTimings.clickToFirstFrameMs'));

            await waitForPageTime(tab, 0.5, 10000);
            const audio = await audioState(tab);
            assert.ok(audio, 'the page has an audio context');
            assert.equal(audio.state, 'running');
            assert.ok(audio.song, 'the page was told of the rendered song');
            assert.equal(audio.song.rate, audio.rate, 'the song is rendered at the context\'s rate');
            assert.equal(audio.song.samples, nativeSong(audio.rate).length,
                         'the song has the length the replayer gives at that rate');
            figures.audioRate = audio.rate;
            const later = await audioState(tab);
            assert.ok(later.time > audio.time, 'the audio clock moves on');
        });

        it('the picture starts with the sound and keeps in step with it', async () => {
            figures.clickToSoundMs = Math.round(
                await waitUntil(tab, 'the sound', 'window.inviteTimings.clickToSoundMs', 10000));
            const soundAt = Date.now();
            // From a second after the click on (and half a second after the
            // sound has started, which a sound server may take longer than a
            // second to do), the demo's t and the song heard (the sound
            // rendered, found in the song, less the output latency) agree.
            // The frames follow the page's own clock: where the output loses
            // time against it (a machine too busy to feed the sound server
            // in time), the picture runs ahead by exactly the time lost.
            // Firefox's analyser now and then hands over blocks out of order
            // or a block of silence the output never had: up to four such
            // readings are taken again.
            const readings = [], garbled = [];
            await sleep(Math.max(0, clickedAt + 1000 - Date.now(), soundAt + 500 - Date.now()));
            for (; readings.length < 12; await sleep(250)) {
                const r = await tab.evaluate('window.inviteTestSound.hear()');
                const rendered = songPositionOf(r.samples, r.rate, r.t);
                if (rendered === null) {
                    garbled.push(Number(r.t.toFixed(3)));
                    assert.ok(garbled.length <= 4, `at t = ${garbled.join(', ')} s the output is not the song ` +
                                                   'within 3 s of there');
                    continue;
                }
                const base = readings[0] ?? r;
                const lost = (r.now - base.now) / 1000 - (r.clock - base.clock);
                // The song's own jumps against the audio clock: the output
                // broke up (a buffer played twice or skipped).
                const jump = readings.length ? (rendered - readings.at(-1).rendered) - (r.clock - base.clock -
                                                (readings.at(-1).clock - base.clock)) : 0;
                readings.push({...r, samples: null, rendered, offset: r.t - (rendered - r.latency), lost, jump});
            }
            const ms = v => Math.round(1000 * v);
            figures.pictureToSoundOffsetMs = readings.map(r => ms(r.offset));
            figures.outputLostMs = readings.map(r => ms(r.lost));
            figures.outputLatencyMs = ms(Math.max(...readings.map(r => r.latency)));
            const jumps = readings.filter(r => Math.abs(r.jump) > 0.02).map(r => ms(r.jump));
            if (jumps.length) figures.songJumpsMs = jumps;
            if (garbled.length) figures.readingsNotTheSongAt = garbled;
            if (!engine.mayReadOutputLatency) {
                assert.equal(await tab.evaluate('window.inviteLatencyReadings'), 0,
                             `the page read AudioContext.outputLatency, which can freeze ${name}'s tab`);
            }
            const peak = await tab.evaluate('window.inviteTestSound.peak');
            figures.peak = Number(peak.toFixed(3));
            assert.ok(peak > 0.01, `the output's peak is ${peak}`);
            const worst = readings.reduce((a, b) => Math.abs(b.offset - b.lost) > Math.abs(a.offset - a.lost) ? b : a);
            assert.ok(Math.abs(worst.offset - worst.lost) <= LargestSoundOffset,
                      `the picture is ${ms(worst.offset)} ms ahead of the sound heard, the output having ` +
                      `lost ${ms(worst.lost)} ms (readings: ${figures.pictureToSoundOffsetMs.join(', ')} ms; ` +
                      `lost: ${figures.outputLostMs.join(', ')} ms)` +
                      (jumps.length ? `; the output broke up, the song jumping by ${jumps.join(', ')} ms ` +
                                      'against the audio clock (a machine too busy to feed the sound in time)' : ''));
            // The frames follow the demo's clock: the status line shows the
            // last frame's t, a frame or a few behind it.
            const r = await tab.evaluate(`({t: window.inviteDemoTime(), shown: ${PageTimeExpression}})`);
            assert.ok(r.shown !== null && r.shown <= r.t + 0.002 && r.shown > r.t - 0.25,
                      `the status line says ${r.shown} s, the demo clock ${r.t} s`);
        });

        it(`shows what the offscreen frames show at ${PictureTimes.join(', ')} s`, async () => {
            let previous = -1;
            for (const target of PictureTimes) {
                await waitForPageTime(tab, target, (target + 20) * 1000);
                const before = await pageTime(tab);
                const shot = await canvasPicture(tab);
                const after = await pageTime(tab);
                assert.ok(after > previous, `the page's t moves on (${previous} -> ${after})`);
                previous = after;
                let best = null;
                for (const t of candidateTimes(before, after)) {
                    const s = score(referenceFrame(t), shot.pixels);
                    if (!best || s.missing + s.extra < best.score.missing + best.score.extra) best = {t, score: s};
                }
                const file = path.join(outDir, `${name}-${sound.replace(/\W+/g, '-')}-page-${target}s.png`);
                fs.writeFileSync(file, shot.png);
                (figures.pictures ??= []).push({target, pageTime: [before, after],
                    matchedAt: Number(best.t.toFixed(3)), missing: Number(best.score.missing.toFixed(4)),
                    extra: Number(best.score.extra.toFixed(4))});
                assert.ok(matches(best.score),
                          `at t ~ ${target} s (page said ${before} .. ${after}) the canvas is not ` +
                          `the offscreen frame: best t ${best.t.toFixed(3)}, ${JSON.stringify(best.score)}; ` +
                          `see ${file} (the canvas at ${JSON.stringify(shot.box)})`);
            }
        });

        it('makes no request after the page has loaded', async () => {
            // (Informative: what each frame cost, scene by scene, so far.)
            figures.frameCostMs = frameCostsByScene(await tab.evaluate('window.inviteFrameCosts'));

            const late = (await tab.requests()).filter(r => r.at > loadedAt).map(r => r.url);
            assert.deepEqual(late, []);
        });

        it('Escape ends the demo, and the page then offers to play again', async () => {
            await tab.press('Escape');
            await waitForOverlay(tab, 'play again', 5000);
            // The last frame's line (drawn, not presented) may still be on
            // its way to the status line: let two animation frames pass.
            await tab.evaluate('new Promise(r => requestAnimationFrame(() => requestAnimationFrame(r)))');
            const stopped = await pageTime(tab);
            await sleep(400);
            assert.equal(await pageTime(tab), stopped, 'the time line stands still');
            assert.equal(await audioState(tab), null, 'the audio device is closed with its context');

            await tab.press(' ');
            await waitUntil(tab, 'the start of the second run',
                            `document.getElementById('overlay').hidden && (${PageTimeExpression} ?? 1e9) < ${stopped}`,
                            5000);
            const again = await waitForPageTime(tab, 0.3, 10000);
            assert.ok(again < 3, `played again from the start (t = ${again})`);
            assert.equal((await audioState(tab))?.state, 'running');
            await tab.press('Escape');
            await waitForOverlay(tab, 'play again', 5000);
            assert.deepEqual(tab.problems, []);
        });
    });

    it(`${name} (${sound}): #autostart starts at once where the browser lets the page make sound`, async () => {
        const browser = await engine.launch({autoplay: true});
        try {
            const tab = await browser.open(pageUrl + '#autostart');
            const t = await waitForPageTime(tab, 0.2, 15000);
            assert.ok(t < 5);
            assert.equal(await overlayText(tab), null);
            assert.equal((await audioState(tab))?.state, 'running');
            assert.deepEqual(tab.problems, []);
        } finally {
            await browser.close();
        }
    });
}

after(() => book.write());
