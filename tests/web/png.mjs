// Decodes the PNG files the tests meet (a browser's screenshots, invite-tool's
// frames): 8 bits per channel, grey, grey + alpha, RGB or RGBA, not
// interlaced. Gives {width, height, data} with four bytes (RGBA) per pixel,
// laid out as a canvas's ImageData, so that pictures from any browser are
// cropped and compared in node without an image library.
import zlib from 'node:zlib';

const Signature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
const ChannelsOfColourType = {0: 1, 2: 3, 4: 2, 6: 4};

function paeth(a, b, c) {
    const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

export function decodePng(bytes) {
    if (!Signature.equals(bytes.subarray(0, 8))) throw new Error('not a PNG file');
    let width = 0, height = 0, channels = 0;
    const compressed = [];
    for (let at = 8; at < bytes.length;) {
        const length = bytes.readUInt32BE(at);
        const type = bytes.toString('latin1', at + 4, at + 8);
        const body = bytes.subarray(at + 8, at + 8 + length);
        if (type === 'IHDR') {
            width = body.readUInt32BE(0);
            height = body.readUInt32BE(4);
            const [depth, colourType, , , interlace] = body.subarray(8, 13);
            channels = ChannelsOfColourType[colourType];
            if (depth !== 8 || !channels || interlace !== 0) {
                throw new Error(`unsupported PNG: depth ${depth}, colour type ${colourType}, interlace ${interlace}`);
            }
        } else if (type === 'IDAT') {
            compressed.push(body);
        } else if (type === 'IEND') {
            break;
        }
        at += 12 + length;
    }
    const raw = zlib.inflateSync(Buffer.concat(compressed));
    const stride = width * channels;
    const rows = Buffer.alloc(stride * height);
    for (let y = 0; y < height; ++y) {
        const filter = raw[y * (stride + 1)];
        const source = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
        const row = rows.subarray(y * stride, (y + 1) * stride);
        const above = y > 0 ? rows.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
        for (let x = 0; x < stride; ++x) {
            const left = x >= channels ? row[x - channels] : 0;
            const upLeft = x >= channels ? above[x - channels] : 0;
            const predictor = [0, left, above[x], (left + above[x]) >> 1, paeth(left, above[x], upLeft)][filter];
            if (predictor === undefined) throw new Error(`bad PNG filter ${filter}`);
            row[x] = (source[x] + predictor) & 0xff;
        }
    }
    const data = new Uint8ClampedArray(width * height * 4);
    for (let i = 0, j = 0; i < width * height; ++i, j += channels) {
        const grey = channels <= 2;
        data[4 * i] = rows[j];
        data[4 * i + 1] = grey ? rows[j] : rows[j + 1];
        data[4 * i + 2] = grey ? rows[j] : rows[j + 2];
        data[4 * i + 3] = channels === 2 ? rows[j + 1] : channels === 4 ? rows[j + 3] : 255;
    }
    return {width, height, data};
}

// The part of `image` inside `box` (whole pixels: x, y, width, height).
export function crop(image, box) {
    const x0 = Math.round(box.x), y0 = Math.round(box.y);
    const width = Math.round(box.width), height = Math.round(box.height);
    if (x0 < 0 || y0 < 0 || x0 + width > image.width || y0 + height > image.height) {
        throw new Error(`crop ${JSON.stringify(box)} outside a ${image.width} x ${image.height} picture`);
    }
    const data = new Uint8ClampedArray(width * height * 4);
    for (let y = 0; y < height; ++y) {
        const from = 4 * ((y0 + y) * image.width + x0);
        data.set(image.data.subarray(from, from + 4 * width), 4 * y * width);
    }
    return {width, height, data};
}
