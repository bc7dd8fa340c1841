// The index page with its stills, at build time:
//   node gallery.mjs STILLS.js TEMPLATE.html OUT_DIR
// STILLS.js is render.cpp built for node; each still it renders is written
// as OUT_DIR/gallery/SHOW_FRAME.png, and the template's lines
// "<!-- stills of SHOW -->" become the list of that show's stills, each a
// link to the live show at that moment. OUT_DIR/index.html is the result.
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { deflateSync } from 'node:zlib';

const [stillsJs, template, out] = process.argv.slice(2);
const WIDTH = 320;
const HEIGHT = 240;

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k)
    c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xFFFFFFFF;
  for (const b of bytes)
    c = CRC_TABLE[(c ^ b) & 0xFF] ^ (c >>> 8);
  return (c ^ 0xFFFFFFFF) >>> 0;
}
function chunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'latin1');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
  return Buffer.concat([head, data, crc]);
}

// An 8-bit RGB PNG; each row with the filter whose bytes add up smallest.
function png(rgb) {
  const stride = WIDTH * 3;
  const rows = [];
  const paeth = (a, b, c) => {
    const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
  };
  for (let y = 0; y < HEIGHT; ++y) {
    const row = rgb.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? rgb.subarray((y - 1) * stride, y * stride) : new Uint8Array(stride);
    let best = null;
    let bestCost = Infinity;
    for (let filter = 0; filter < 5; ++filter) {
      const line = Buffer.alloc(stride + 1);
      line[0] = filter;
      let cost = 0;
      for (let x = 0; x < stride; ++x) {
        const a = x >= 3 ? row[x - 3] : 0, b = up[x], c = x >= 3 ? up[x - 3] : 0;
        const predicted = [0, a, b, (a + b) >> 1, paeth(a, b, c)][filter];
        const v = (row[x] - predicted) & 0xFF;
        line[x + 1] = v;
        cost += v < 128 ? v : 256 - v;
      }
      if (cost < bestCost) {
        best = line;
        bestCost = cost;
      }
    }
    rows.push(best);
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(WIDTH, 0);
  header.writeUInt32BE(HEIGHT, 4);
  header[8] = 8; // bits per channel
  header[9] = 2; // RGB
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
                        chunk('IDAT', deflateSync(Buffer.concat(rows), { level: 9 })),
                        chunk('IEND', Buffer.alloc(0))]);
}

const html = text => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/"/g, '&quot;');

const Module = await createRequire(import.meta.url)(stillsJs)();
mkdirSync(join(out, 'gallery'), { recursive: true });
const items = { demo32: [], demo8: [] };
for (let i = 0; i < Module._gallery_count(); ++i) {
  const [show, frame, query, ...words] = Module.UTF8ToString(Module._gallery_still(i)).split(' ');
  const at = Module._gallery_render(i);
  const rgb = Module.HEAPU8.subarray(at, at + WIDTH * HEIGHT * 3);
  const name = `gallery/${show}_${frame.padStart(5, '0')}.png`;
  writeFileSync(join(out, name), png(rgb));
  items[show].push(`<li><a href="${html(`${show}.html?${query}`)}"><img src="${name}" width="${WIDTH}" ` +
                   `height="${HEIGHT}" loading="lazy" alt="${html(words.join(' '))}" title="${html(words.join(' '))}"></a></li>`);
}
const page = readFileSync(template, 'utf8')
  .replace(/^<!-- stills of (\w+) -->$/gm, (_, show) => items[show].join('\n'));
writeFileSync(join(out, 'index.html'), page);
