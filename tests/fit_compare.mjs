// Our FIT reading against fit-file-parser's (npm) and GPSBabel's, file by
// file: the positions (records with a latitude and a longitude), their
// times, heart rates and powers. Ours are read from the GeoJSON we write.
// Prints a table (Markdown) and exits 1 where fit-file-parser and we
// disagree on a file both read to its end.
//   node fit_compare.mjs NODE_MODULES CLI FIT...
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, join } from 'node:path';
import { pathToFileURL } from 'node:url';

const [modules, cli, ...files] = process.argv.slice(2);
const { default: FitParser } = await import(pathToFileURL(join(modules, 'fit-file-parser/dist/fit-parser.js')).href);
const work = mkdtempSync(join(tmpdir(), 'fit-compare-'));

// Our positions: [{lat, lon, time (ms), heart, power}].
function ours(file) {
  const out = join(work, basename(file) + '.geojson');
  spawnSync(cli, ['convert', file, '--to', 'geojson', '--overwrite', '-o', out], { encoding: 'utf8' });
  if (!existsSync(out)) return [];
  const feature = JSON.parse(readFileSync(out, 'utf8')).features[0];
  if (!feature) return [];
  const g = feature.geometry;
  const coordinates = g.type === 'Point' ? [g.coordinates] : g.coordinates;
  const c = feature.properties.coordinateProperties || {};
  return coordinates.map((p, i) => ({
    lat: p[1], lon: p[0],
    time: c.times && c.times[i] ? Date.parse(c.times[i]) : null,
    heart: c.heart ? c.heart[i] : null,
    power: c.power ? c.power[i] : null,
  }));
}

// fit-file-parser's records with a position.
async function theirs(file) {
  const parser = new FitParser({ force: true, mode: 'list', lengthUnit: 'm', speedUnit: 'm/s' });
  try {
    const data = await parser.parseAsync(readFileSync(file));
    return (data.records || [])
      .filter((r) => typeof r.position_lat === 'number' && typeof r.position_long === 'number')
      .map((r) => ({
        lat: r.position_lat, lon: r.position_long,
        time: r.timestamp ? new Date(r.timestamp).getTime() : null,
        heart: typeof r.heart_rate === 'number' ? r.heart_rate : null,
        power: typeof r.power === 'number' ? r.power : null,
      }));
  } catch (error) {
    return { failed: String(error) };
  }
}

function babel(file) {
  for (const format of ['garmin_fit', 'garmin_fit,recoverymode']) {
    const run = spawnSync('gpsbabel', ['-t', '-i', format, '-f', file, '-o', 'unicsv,utc=0', '-F', '-'],
                          { encoding: 'utf8' });
    if (run.status === 0) return String(run.stdout.trim().split('\n').length - 1) + (format.includes(',') ? ' (recovery)' : '');
  }
  return 'fails';
}

const hasBabel = spawnSync('gpsbabel', ['-V']).status === 0;
let bad = 0;
console.log('| file | positions ours / fit-file-parser / GPSBabel | positions, times | heart rate | power | first difference |');
console.log('|---|---|---|---|---|---|');
for (const file of files) {
  const a = ours(file);
  const b = await theirs(file);
  const name = basename(file);
  const babelCount = hasBabel ? babel(file) : '-';
  if (b.failed) {
    console.log(`| ${name} | ${a.length} / fails / ${babelCount} | - | - | - | fit-file-parser: ${b.failed.slice(0, 60)} |`);
    continue;
  }
  const agree = { where: true, heart: true, power: true };
  let first = '';
  const note = (what, i, x, y) => { if (!first) first = `${what} of position ${i + 1}: ${x} vs ${y}`; };
  const n = Math.min(a.length, b.length);
  for (let i = 0; i < n; i++) {
    const x = a[i], y = b[i];
    if (Math.abs(x.lat - y.lat) > 6e-8 || Math.abs(x.lon - y.lon) > 6e-8 || x.time !== y.time) {
      agree.where = false;
      note('place or time', i, `${x.lat} ${x.lon} ${x.time}`, `${y.lat} ${y.lon} ${y.time}`);
    }
    if (x.heart !== y.heart) { agree.heart = false; note('heart rate', i, x.heart, y.heart); }
    if (x.power !== y.power) { agree.power = false; note('power', i, x.power, y.power); }
  }
  if (a.length !== b.length) { agree.where = false; if (!first) first = `counts ${a.length} vs ${b.length}`; }
  const yes = (v) => (v ? 'agree' : 'DIFFER');
  console.log(`| ${name} | ${a.length} / ${b.length} / ${babelCount} | ${yes(agree.where)} | ${yes(agree.heart)} | ${yes(agree.power)} | ${first} |`);
  if (!agree.where || !agree.heart || !agree.power) bad++;
}
rmSync(work, { recursive: true, force: true });
process.exit(bad > 0 ? 1 : 0);
