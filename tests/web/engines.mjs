// The three browser engines the page is tested in, behind one small driver
// interface, so that each check is written once and run in every engine:
//
//   engine.name, engine.launch({autoplay}) -> browser
//   browser.open(url) -> tab            browser.close()
//   tab.evaluate(expression)   the value of a JS expression (a promise is awaited)
//   tab.click(selector)        a mouse click on an element
//   tab.press(key)             a key press: 'Escape', 'Enter', ' '
//   tab.screenshot()           the viewport as a PNG (device pixels)
//   tab.requests()             the requests the page made: [{url, at}] (ms since the epoch)
//   tab.problems               console errors, page errors and failed requests
//
// Chromium (Debian's, headless) is driven over CDP and Firefox (Debian's
// firefox-esr, headed under Xvfb) over WebDriver BiDi, both by the pinned
// puppeteer-core; WebKit (WebKitGTK's MiniBrowser, headed under Xvfb) by
// WebKitWebDriver, over plain WebDriver with fetch. Firefox and WebKit need
// DISPLAY and a sound server (PULSE_SERVER), which scripts/test-web.sh provides.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

// The viewport of every desktop test: 640 x 400 at a scale of exactly 1,
// with the room beside and below the canvas (margins and the status bar)
// that the page keeps free.
export const Viewport = {width: 672, height: 464};

// No single command to a browser takes long: one that has not been answered
// in this time means the browser hangs, and the test fails then rather than
// after puppeteer's three minutes.
const ProtocolTimeoutMs = 60000;

const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

function mustExist(file, what) {
    try {
        fs.accessSync(file, fs.constants.X_OK);
    } catch {
        throw new Error(`cannot start ${what}: ${file} is missing (scripts/install-deps.sh web-test installs it)`);
    }
}

function needsDisplay(what) {
    if (!process.env.DISPLAY) throw new Error(`cannot start ${what}: no X display (DISPLAY is not set)`);
}

// A tab driven by puppeteer, with its console errors, page errors, failed
// requests and every request recorded.
async function puppeteerTab(browser, url, {quiet, beforeLoad}) {
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
    return {
        page,
        problems,
        evaluate: expression => quiet(page, expression),
        click: selector => page.click(selector),
        press: key => page.keyboard.press(key),
        screenshot: async () => Buffer.from(await page.screenshot({type: 'png'})),
        requests: async () => requests,
    };
}

// Chromium over CDP. Its evaluate reads the page without acting as the user:
// puppeteer's own evaluate counts as a user gesture, which would let the page
// make sound and spoil every check of what happens before a click.
export const chromium = {
    name: 'chromium',
    // Without a sound server it plays into a silent output of its own.
    playsWithoutSoundServer: true,
    mayReadOutputLatency: true,
    executable: process.env.CHROMIUM ?? '/usr/bin/chromium',
    async launch({autoplay = false, extraArgs = []} = {}) {
        mustExist(this.executable, 'chromium');
        const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'invite-chromium-'));
        const browser = await puppeteer.launch({
            executablePath: this.executable,
            headless: true,
            protocolTimeout: ProtocolTimeoutMs,
            // The closed network, no first-run or background traffic; a fresh profile.
            args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                   '--disable-background-networking', '--disable-component-update', '--disable-sync',
                   `--user-data-dir=${profile}`,
                   // WebGL on the CPU, which SDL's GLES2 renderer draws with.
                   '--enable-unsafe-swiftshader',
                   // Sound with or without a gesture first, as a browser may be set.
                   autoplay ? '--autoplay-policy=no-user-gesture-required'
                            : '--autoplay-policy=document-user-activation-required',
                   ...extraArgs],
        });
        const quiet = async (page, expression) => {
            page.quietSession ??= await page.createCDPSession();
            const {result, exceptionDetails} = await page.quietSession.send('Runtime.evaluate', {
                expression, returnByValue: true, awaitPromise: true, userGesture: false});
            if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description}`);
            return result.value;
        };
        return {
            puppeteer: browser,
            open: (url, options = {}) => puppeteerTab(browser, url, {quiet, ...options}),
            close: async () => {
                await browser.close();
                fs.rmSync(profile, {recursive: true, force: true});
            },
        };
    },
};

// Firefox over WebDriver BiDi. Headless Firefox has no WebGL, so it runs
// headed on the X display. Every evaluate counts as a user gesture there.
export const firefox = {
    name: 'firefox',
    // Without a sound server its audio contexts stay "suspended".
    playsWithoutSoundServer: false,
    // Its first readings of AudioContext.outputLatency can deadlock the tab
    // with PulseAudio (the page's thread waits on the sound server holding a
    // lock the audio callback needs): the page must not make them.
    mayReadOutputLatency: false,
    executable: process.env.FIREFOX ?? '/usr/bin/firefox-esr',
    async launch({autoplay = false} = {}) {
        mustExist(this.executable, 'firefox');
        needsDisplay('firefox');
        const browser = await puppeteer.launch({
            browser: 'firefox',
            protocolTimeout: ProtocolTimeoutMs,
            executablePath: this.executable,
            headless: false,
            extraPrefsFirefox: {
                // 0 allows sound without a gesture, 5 blocks it (sound starts with a click).
                'media.autoplay.default': autoplay ? 0 : 5,
                'media.autoplay.blocking_policy': 0,
                'media.autoplay.block-webaudio': !autoplay,
                'media.block-autoplay-until-in-foreground': false,
                'webgl.force-enabled': true,
                // The closed network: no first-run pages, updates or telemetry.
                'browser.shell.checkDefaultBrowser': false,
                'app.update.disabledForTesting': true,
                'datareporting.policy.dataSubmissionEnabled': false,
                'toolkit.telemetry.reportingpolicy.firstRun': false,
            },
        });
        const quiet = async (page, expression) => page.evaluate(expression);
        return {
            puppeteer: browser,
            open: (url, options = {}) => puppeteerTab(browser, url, {quiet, ...options}),
            close: () => browser.close(),
        };
    },
};

async function freePort() {
    return new Promise((resolve, reject) => {
        const server = net.createServer();
        server.unref();
        server.on('error', reject);
        server.listen(0, '127.0.0.1', () => {
            const {port} = server.address();
            server.close(() => resolve(port));
        });
    });
}

// The WebDriver keys the tests press.
const WebDriverKeys = {'Escape': '\uE00C', 'Enter': '\uE007', ' ': ' '};

// WebKit: WebKitGTK's MiniBrowser, driven by WebKitWebDriver over plain
// WebDriver (HTTP and JSON). The page's own Resource Timing entries stand
// for the requests, as WebDriver has no network events.
export const webkit = {
    name: 'webkit',
    // Without a sound server GStreamer plays into a silent sink.
    playsWithoutSoundServer: true,
    mayReadOutputLatency: true,
    driver: process.env.WEBKIT_WEBDRIVER ?? '/usr/bin/WebKitWebDriver',
    miniBrowser: process.env.WEBKIT_MINIBROWSER ?? '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
    async launch({autoplay = false} = {}) {
        mustExist(this.driver, 'webkit');
        mustExist(this.miniBrowser, 'webkit');
        needsDisplay('webkit');
        const port = await freePort();
        const log = [];
        const server = spawn(this.driver, [`--port=${port}`, '--host=127.0.0.1'], {
            // WebGL on the CPU (llvmpipe). With accelerated compositing
            // WebKitGTK 2.50's compositor thread crashes in Mesa 22's
            // software rasteriser within a minute of the demo: without it
            // the page is composited in software, WebGL still on llvmpipe.
            env: {...process.env, LIBGL_ALWAYS_SOFTWARE: '1', WEBKIT_DISABLE_COMPOSITING_MODE: '1'},
            stdio: ['ignore', 'pipe', 'pipe'],
        });
        // What the driver and the browser say goes to a file beside the
        // pictures (WEBKIT_LOG), for a test that fails.
        const logFile = process.env.WEBKIT_LOG ? fs.createWriteStream(process.env.WEBKIT_LOG, {flags: 'a'}) : null;
        const note = chunk => {
            log.push(String(chunk));
            logFile?.write(chunk);
        };
        server.stdout.on('data', note);
        server.stderr.on('data', note);
        const base = `http://127.0.0.1:${port}`;
        async function wd(method, route, body) {
            const response = await fetch(base + route, {
                method, headers: {'content-type': 'application/json'},
                body: body === undefined ? undefined : JSON.stringify(body)});
            const reply = await response.json();
            if (!response.ok) {
                throw new Error(`WebDriver ${method} ${route}: ${reply.value?.error}: ${reply.value?.message}`);
            }
            return reply.value;
        }
        let session = null;
        for (let attempt = 0; !session; ++attempt) {
            try {
                session = await wd('POST', '/session', {capabilities: {alwaysMatch: {
                    'webkitgtk:browserOptions': {
                        binary: this.miniBrowser,
                        // Giving arguments replaces the default ones: keep --automation.
                        args: ['--automation', `--autoplay-policy=${autoplay ? 'allow' : 'deny'}`],
                    }}}});
            } catch (error) {
                if (server.exitCode !== null || attempt >= 100) {
                    server.kill();
                    throw new Error(`cannot start webkit: ${error.message} ${log.join('').trim()}`);
                }
                await sleep(100);
            }
        }
        const S = `/session/${session.sessionId}`;
        const evaluate = script => wd('POST', `${S}/execute/sync`, {script: `return (${script});`, args: []});
        const element = async selector => Object.values(
            await wd('POST', `${S}/element`, {using: 'css selector', value: selector}))[0];
        // The viewport (not the window) must have the size every test expects.
        async function fitViewport() {
            for (let attempt = 0; attempt < 3; ++attempt) {
                const [width, height] = await evaluate('[innerWidth, innerHeight]');
                if (width === Viewport.width && height === Viewport.height) return;
                const rect = await wd('GET', `${S}/window/rect`);
                await wd('POST', `${S}/window/rect`, {width: rect.width + Viewport.width - width,
                                                      height: rect.height + Viewport.height - height});
            }
            throw new Error(`cannot give webkit a viewport of ${Viewport.width} x ${Viewport.height}`);
        }
        let opened = false;
        return {
            async open(url) {
                if (opened) throw new Error('the webkit driver has one tab');
                opened = true;
                await wd('POST', `${S}/url`, {url: 'about:blank'});
                await fitViewport();
                await wd('POST', `${S}/url`, {url});
                return {
                    problems: [],
                    evaluate,
                    click: async selector => wd('POST', `${S}/element/${await element(selector)}/click`, {}),
                    press: key => wd('POST', `${S}/actions`, {actions: [{type: 'key', id: 'keyboard', actions: [
                        {type: 'keyDown', value: WebDriverKeys[key]}, {type: 'keyUp', value: WebDriverKeys[key]}]}]}),
                    screenshot: async () => Buffer.from(await wd('GET', `${S}/screenshot`), 'base64'),
                    requests: async () => evaluate(`performance.getEntriesByType('resource')
                        .map(e => ({url: e.name, at: performance.timeOrigin + e.startTime}))`),
                };
            },
            async close() {
                await wd('DELETE', S).catch(() => {});
                server.kill();
                await new Promise(resolve => server.exitCode !== null ? resolve() : server.once('exit', resolve));
            },
        };
    },
};

export const Engines = {chromium, firefox, webkit};
