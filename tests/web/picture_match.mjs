// Compares a screenshot of the page's canvas with an offscreen frame of the
// same demo time. The two never agree pixel for pixel: the text jitter is
// keyed afresh on every run, and the screenshot's t is known only to within
// a frame or two. So a picture matches when nearly every pixel that is not
// background in one has a pixel of nearly the same colour close by in the
// other, both ways, and both have about as much background.
//
// The pictures are decoded (png.mjs) and compared in node, whichever
// browser took them.
import {decodePng} from './png.mjs';

export const Background = [12, 12, 12];
export const MatchRules = {
    foregroundThreshold: 24,  // a channel this far from the background: not background
    colourTolerance: 48,      // largest channel difference of two matching pixels
    radius: 4,                // pixels: covers the jitter of -3 .. 2
    largestUnmatched: 0.08,   // share of either picture's foreground
    largestBackgroundGap: 0.03,
};

// Scores a picture (decoded RGBA pixels) against a reference PNG file.
export function score(referencePng, actual, rules = MatchRules, background = Background) {
    const reference = decodePng(referencePng);
    if (reference.width !== actual.width || reference.height !== actual.height) {
        return {sizeMismatch: true, reference: [reference.width, reference.height],
                actual: [actual.width, actual.height]};
    }
    const width = reference.width, height = reference.height, count = width * height;
    const isForeground = (data, i) =>
        Math.abs(data[i] - background[0]) > rules.foregroundThreshold ||
        Math.abs(data[i + 1] - background[1]) > rules.foregroundThreshold ||
        Math.abs(data[i + 2] - background[2]) > rules.foregroundThreshold;
    const isBackground = (data, i) =>
        Math.abs(data[i] - background[0]) <= 3 && Math.abs(data[i + 1] - background[1]) <= 3 &&
        Math.abs(data[i + 2] - background[2]) <= 3;
    // Share of `from`'s foreground pixels with no close pixel of like colour in `to`.
    function unmatched(from, to) {
        let foreground = 0, lonely = 0;
        const r = rules.radius, tolerance = rules.colourTolerance;
        for (let y = 0; y < height; ++y) {
            for (let x = 0; x < width; ++x) {
                const i = 4 * (y * width + x);
                if (!isForeground(from.data, i)) continue;
                ++foreground;
                let found = false;
                for (let dy = -r; dy <= r && !found; ++dy) {
                    const yy = y + dy;
                    if (yy < 0 || yy >= height) continue;
                    for (let dx = -r; dx <= r; ++dx) {
                        const xx = x + dx;
                        if (xx < 0 || xx >= width) continue;
                        const j = 4 * (yy * width + xx);
                        if (Math.abs(to.data[j] - from.data[i]) <= tolerance &&
                            Math.abs(to.data[j + 1] - from.data[i + 1]) <= tolerance &&
                            Math.abs(to.data[j + 2] - from.data[i + 2]) <= tolerance) {
                            found = true;
                            break;
                        }
                    }
                }
                if (!found) ++lonely;
            }
        }
        return {foreground, share: foreground === 0 ? 0 : lonely / foreground};
    }
    let referenceBackground = 0, actualBackground = 0;
    for (let i = 0; i < 4 * count; i += 4) {
        if (isBackground(reference.data, i)) ++referenceBackground;
        if (isBackground(actual.data, i)) ++actualBackground;
    }
    const missing = unmatched(reference, actual);
    const extra = unmatched(actual, reference);
    return {
        missing: missing.share, extra: extra.share,
        referenceForeground: missing.foreground, actualForeground: extra.foreground,
        backgroundGap: Math.abs(referenceBackground - actualBackground) / count,
    };
}

export function matches(score, rules = MatchRules) {
    return !score.sizeMismatch && score.missing <= rules.largestUnmatched &&
           score.extra <= rules.largestUnmatched &&
           score.backgroundGap <= rules.largestBackgroundGap &&
           (score.referenceForeground === 0) === (score.actualForeground === 0);
}
