// Drives the page in build-web/ in headless Chromium: drops each example
// log, converts it to every output type (and with options), downloads the
// output and compares it byte for byte with torvane-cli's for the same file
// and options; the preview picture likewise with `torvane-cli preview`.
// An unrecognised file and a broken one show the command line's message; a
// log of about 100 MB converts with its progress shown; one of about 600 MB
// converts with the tab's memory measured, which must stay flat (less than
// kFlatMemoryMB beyond what it held before). Leaves pictures of the page in
// build-web/screenshots/.
//
//   node page_test.mjs BUILD_WEB TORVANE_CLI LOGGEN EXAMPLES [--firefox] [--bench EPOCHS[,EPOCHS...] [--to TYPES]]
//
// --firefox drives Firefox (FIREFOX, default /usr/bin/firefox-esr) instead of
// Chromium (CHROMIUM, default /usr/bin/chromium), through WebDriver BiDi:
// the logs are chosen through the file picker rather than dropped, the
// tab's memory is that of Firefox's content processes.
//
// --bench converts an nmea-mix log of EPOCHS epochs (loggen; each size given) in the page and
// with torvane-cli, to each output type of TYPES (comma-separated, default
// kml), and prints the times (the page's analysis on dropping and its run;
// torvane-cli's analysis and run on one core and on all), the tab's and the
// browser's peak memory, and checks that the bytes are the same and that the
// tab's memory stayed flat, instead of the tests. 6250000 epochs make a log
// of 2.5 GB. --repeat N converts N times in each (default 1) and gives the
// fastest of each, with the processor time (user and system) of the
// browser's processes and of torvane-cli beside the wall-clock times, and
// each run of the page against torvane-cli's one-core run right after it:
// on a machine others share, the wall clock alone says little.
import { spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [buildWeb, cli, loggen, examples] = process.argv.slice(2, 6).map((p) => path.resolve(p));
const benchAt = process.argv.indexOf('--bench');
const benchSizes = benchAt > 0 ? process.argv[benchAt + 1].split(',').map(Number) : [];
const benchEpochs = benchSizes.length > 0 ? Math.max(...benchSizes) : 0;
const toAt = process.argv.indexOf('--to');
const benchTypes = (toAt > 0 ? process.argv[toAt + 1] : 'kml').split(',');
const firefox = process.argv.includes('--firefox');
const repeatAt = process.argv.indexOf('--repeat');
const benchRepeats = repeatAt > 0 ? Math.max(1, Number(process.argv[repeatAt + 1])) : 1;
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane-web-'));
const downloads = path.join(work, 'downloads');
fs.mkdirSync(downloads);
let failures = 0;
// How much the tab's memory may grow while it converts a log of any size.
const kFlatMemoryMB = 300;

function check(ok, what) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what);
  if (!ok) failures++;
}

// The page's three files, as `python3 -m http.server -d build-web` serves them.
function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const requests = [];
  const server = http.createServer((request, response) => {
    let name = new URL(request.url, 'http://x').pathname.replace(/\/$/, '/index.html');
    // /broken/: the page with WebAssembly that is not.
    if (name === '/broken/torvane.wasm') {
      response.writeHead(200, { 'Content-Type': 'application/wasm' }).end('not WebAssembly');
      return;
    }
    name = name.replace(/^\/broken\//, '/');
    requests.push(name);
    const file = path.join(buildWeb, path.normalize(name));
    if (!file.startsWith(buildWeb) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({ server, requests })));
}

// torvane-cli in a folder of its own holding a copy of the log: its output
// bytes, its stdout and stderr.
function runCli(log, args, outputName) {
  const dir = fs.mkdtempSync(path.join(work, 'cli-'));
  const name = path.basename(log);
  fs.copyFileSync(log, path.join(dir, name));
  const run = spawnSync(cli, [args[0], name, ...args.slice(1)], { cwd: dir, encoding: 'latin1' });
  const output = outputName && fs.existsSync(path.join(dir, outputName)) ? path.join(dir, outputName) : null;
  return { dir, output, stdout: run.stdout, stderr: run.stderr, status: run.status };
}

function sameBytes(a, b) {
  const hash = (file) => createHash('sha256').update(fs.readFileSync(file)).digest('hex');
  return fs.statSync(a).size === fs.statSync(b).size && hash(a) === hash(b);
}

async function waitFor(predicate, seconds, what) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const value = await predicate();
    if (value) return value;
    if (Date.now() > end) throw new Error('timed out waiting for ' + what);
    await new Promise((r) => setTimeout(r, 50));
  }
}

// The downloaded file of that name, once complete. Where the browser still
// counts an earlier download of that name as there (one the test removed a
// moment ago), it names the new one "NAME (1).EXT" (Firefox "NAME(1).EXT"):
// that one is taken too. Firefox makes the file empty first and its
// "NAME.part" a moment later, whose bytes then replace it: an empty one is
// not yet the download (no output the page offers is empty).
async function downloaded(name) {
  const ext = path.extname(name), stem = name.slice(0, name.length - ext.length);
  const escape = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  const pattern = new RegExp('^' + escape(stem) + '( ?\\(\\d+\\))?' + escape(ext) + '$');
  const complete = () => {
    const names = fs.readdirSync(downloads).filter((entry) => pattern.test(entry) &&
      !fs.existsSync(path.join(downloads, entry + '.crdownload')) && !fs.existsSync(path.join(downloads, entry + '.part')) &&
      fs.statSync(path.join(downloads, entry), { throwIfNoEntry: false })?.size > 0);
    return names.length > 0 ? path.join(downloads, names[names.length - 1]) : null;
  };
  try {
    return await waitFor(complete, 900, 'the download ' + name);
  } catch (error) {
    throw new Error(error.message + ' (the downloads folder holds: ' + fs.readdirSync(downloads).join(', ') + ')');
  }
}

const { server, requests } = await serve();
const url = 'http://127.0.0.1:' + server.address().port + '/';
// Firefox saves a download into the folder without asking where.
const browser = await puppeteer.launch(firefox ? {
  browser: 'firefox',
  executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
  headless: true,
  extraPrefsFirefox: {
    'browser.download.dir': downloads,
    'browser.download.folderList': 2,
    'browser.download.useDownloadDir': true,
    'browser.download.always_ask_before_handling_new_types': false,
    'browser.download.start_downloads_in_tmp_dir': false,
    'browser.helperApps.neverAsk.saveToDisk': 'application/octet-stream,image/svg+xml',
  },
} : {
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--font-render-hinting=none'],
});
const page = await browser.newPage();
// Saving to a file the user picks (the File System Access API) cannot be
// answered in a headless browser: the served page gets a picker whose file
// is handed on as a download, so that what the page streams into it is
// compared like any download; torvane.html from the disk, and the bench,
// have no picker and download the output.
await page.evaluateOnNewDocument((picker) => {
  delete window.showSaveFilePicker;
  delete Window.prototype.showSaveFilePicker;
  if (!picker || location.protocol === 'file:') return;
  window.torvanePicked = 0;
  window.showSaveFilePicker = async ({ suggestedName }) => ({
    createWritable: async () => {
      const parts = [];
      return new WritableStream({
        write(chunk) { parts.push(chunk); },
        close() {
          window.torvanePicked++;
          const link = document.createElement('a');
          link.href = URL.createObjectURL(new Blob(parts));
          link.download = suggestedName;
          document.body.appendChild(link);
          link.click();
          link.remove();
        },
      });
    },
  });
}, benchEpochs === 0);
await page.setViewport({ width: 1100, height: 900 });
const cdp = firefox ? null : await page.createCDPSession();
if (cdp) await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
const pageErrors = [];
// Firefox asks for /favicon.ico, which the page's policy (images from blob:
// only) refuses, and says so as an error of the page.
const favicon = (text) => firefox && /favicon\.ico/.test(text);
page.on('pageerror', (error) => { if (!favicon(String(error))) pageErrors.push(String(error)); });
page.on('console', (message) => { if (message.type() === 'error') pageErrors.push(message.text()); });

// Drops `file` on the drop zone, as from the file manager, and waits for the analysis.
async function drop(file) {
  const files = Array.isArray(file) ? file : [file];
  await page.evaluate(() => {
    // The progress bar's values and labels, as shown.
    window.torvaneSeen = { progress: false, analysed: false, shown: [] };
    document.getElementById('message').textContent = '';
    const box = document.getElementById('progress-box');
    new MutationObserver(() => {
      if (box.hidden) return;
      window.torvaneSeen.progress = true;
      window.torvaneSeen.shown.push([document.getElementById('progress').value,
        document.getElementById('progress-label').textContent]);
    })
      .observe(box, { attributes: true, subtree: true, characterData: true, childList: true });
  });
  if (firefox) {
    await (await page.$('#file-input')).uploadFile(...files);
  } else {
    await dropOnZone(files);
  }
  await page.waitForFunction(() => document.getElementById('message').textContent !== '' &&
    document.getElementById('progress-box').hidden, { timeout: 900000 });
}

// Drops `files` on the drop zone, as from the file manager.
async function dropOnZone(files) {
  const zone = await page.$('#drop-zone');
  await zone.evaluate((e) => e.scrollIntoView());
  const box = await zone.boundingBox();
  const x = box.x + box.width / 2, y = box.y + box.height / 2;
  const data = { items: [], files: files, dragOperationsMask: 1 };
  for (const type of ['dragEnter', 'dragOver', 'drop']) await cdp.send('Input.dispatchDragEvent', { type, x, y, data });
}

// Chooses the output type and the options of `args` (torvane-cli's form).
async function setOptions(args) {
  await page.evaluate((args) => {
    const $ = (id) => document.getElementById(id);
    const value = (name) => { const i = args.indexOf(name); return i < 0 ? '' : args[i + 1]; };
    const to = value('--to') || 'table';
    const radio = document.querySelector('input[name="to"][value="' + to + '"]');
    radio.checked = true;
    radio.dispatchEvent(new Event('change'));
    $('decimal-comma').checked = args.includes('--decimal-comma');
    $('kml-name').value = value('--kml-name');
    $('kml-description').value = value('--kml-description');
    $('kml-color').value = value('--kml-color');
    $('kml-extrude').checked = value('--kml-extrude') !== '0';
    $('kml-tessellate').checked = value('--kml-tessellate') !== '0';
    $('kml-absolute').checked = args.includes('--kml-absolute');
    $('kml-time').checked = args.includes('--kml-time');
    $('ovl-color').value = value('--ovl-color');
    $('ovl-width').value = value('--ovl-width');
    $('ovl-map-name').value = value('--ovl-map-name');
    $('keep-zero').checked = args.includes('--keep-zero-positions');
    $('igc-gnss-altitude').checked = args.includes('--igc-gnss-altitude');
    const add = value('--altitude-add'), set = value('--altitude-set');
    $('altitude-mode').value = add ? 'add' : set ? 'set' : '';
    $('altitude-value').value = add || set || '0';
    $('altitude-value').disabled = !(add || set);
    $('first-date').value = value('--date');
    // The shaping boxes, shown by "Shape the track" where any is given.
    const shaping = { '--from': 'shape-from', '--until': 'shape-until', '--time-shift': 'shape-shift',
      '--split-gap': 'shape-gap', '--simplify': 'shape-simplify', '--max-points': 'shape-max' };
    Object.entries(shaping).forEach(([option, id]) => { $(id).value = value(option); });
    $('shape-day').checked = args.includes('--split-day');
    const shaped = args.includes('--split-day') || Object.keys(shaping).some((option) => args.includes(option));
    if ($('shape-track').checked !== shaped) $('shape-track').click();
  }, args);
}

// Converts with the options set and downloads the output (by the keyboard:
// the download button has the focus after a run). Its path, or null.
// `whileRunning` is awaited right after the run starts; `runDone` is called
// once the run's message shows, before the download.
async function convertAndDownload(runDone = () => {}, whileRunning = async () => {}) {
  await page.evaluate(() => {
    document.getElementById('run-message').textContent = '';
    document.getElementById('download').hidden = true;
  });
  await page.click('#convert');
  await whileRunning();
  await page.waitForFunction(() => document.getElementById('run-message').textContent !== '', { timeout: 900000 });
  runDone();
  const name = await page.evaluate(() => {
    const button = document.getElementById('download');
    return button.hidden || document.activeElement !== button ? null : button.textContent.replace(/^Download /, '');
  });
  if (!name) return null;
  // The button keeps the focus once the page is done with the run (a
  // moment after its message): only then is Enter its own.
  await new Promise((r) => setTimeout(r, 200));
  const state = () => page.evaluate(() => {
    const button = document.getElementById('download');
    return 'focus on ' + (document.activeElement ? document.activeElement.id || document.activeElement.tagName : 'none') +
      ', download ' + (button.hidden ? 'hidden' : 'shown') + ', message "' +
      document.getElementById('run-message').textContent.slice(0, 80) + '"';
  });
  const before = await state();
  // Firefox lets a download that follows the (stand-in) file picker's
  // awaits start from a click, not from Enter: the focus is checked above.
  if (firefox) await page.click('#download');
  else await page.keyboard.press('Enter');
  try {
    return await downloaded(name);
  } catch (error) {
    throw new Error(error.message + '; before Enter: ' + before + '; now: ' + await state());
  }
}

async function screenshot(name) {
  const dir = path.join(buildWeb, 'screenshots');
  fs.mkdirSync(dir, { recursive: true });
  await page.screenshot({ path: path.join(dir, name), fullPage: true });
}

const outputNames = { table: 'prn', kml: 'kml', ovl: 'ovl', gpx: 'gpx', geojson: 'geojson' };

// Every example log analysed, previewed and converted to every output type
// in the page as loaded, each output byte for byte torvane-cli's. `where`
// names the page in the checks.
async function examplesByteForByte(where) {
  const runs = {
    table: [[], ['--decimal-comma'], ['--keep-zero-positions', '--altitude-add', '12.5'],
      ['--date', '2024-05-01', '--time-shift', '+01:00:00', '--simplify', '3']],
    kml: [[], ['--kml-name', 'Mein Weg & <Co>', '--kml-description', 'Zürich', '--kml-color', 'blue',
      '--kml-extrude', '0', '--kml-tessellate', '0', '--kml-absolute'], ['--kml-time', '--date', '2024-05-01'],
      ['--kml-time', '--date', '2024-05-01', '--split-gap', '20s', '--max-points', '50']],
    ovl: [[], ['--ovl-color', 'turquoise', '--ovl-width', '7', '--ovl-map-name', 'Harbour', '--keep-zero-positions'],
      ['--simplify', '5']],
    gpx: [[], ['--date', '2023-12-31', '--altitude-set', '100'], ['--date', '2023-12-31', '--split-day', '--simplify', '2']],
    geojson: [[]],
  };
  for (const name of fs.readdirSync(examples).sort()) {
    const log = path.join(examples, name);
    await drop(log);
    const cliAnalysis = runCli(log, ['analyze']);
    const message = await page.$eval('#message', (e) => e.textContent);
    const dataType = await page.$eval('#data-type', (e) => e.textContent);
    const expectedType = /Data type: (\S+)/.exec(cliAnalysis.stdout)[1];
    check(cliAnalysis.stdout.startsWith(message + '\n') && dataType.startsWith('Data type: ' + expectedType),
      `${where}${name}: the analysis message and data type ${expectedType} are the command line's`);
    // The preview picture.
    await page.click('#download-preview');
    const svgName = await page.$eval('#download-preview', (e) => e.textContent.replace(/^Download picture /, ''));
    const svg = await downloaded(svgName);
    const cliSvg = runCli(log, ['preview'], svgName);
    check(cliSvg.output && sameBytes(svg, cliSvg.output), `${where}${name}: preview ${svgName} byte for byte`);
    fs.unlinkSync(svg);
    if (name === 'city-walk.nmea' && !where) await screenshot('page-gga-analysed.png');

    for (const [to, optionSets] of Object.entries(runs)) {
      for (const options of optionSets) {
        const args = ['--to', to, ...options];
        if (name.endsWith('.igc') && to === 'table' && options.length === 0) args.push('--igc-gnss-altitude');
        await setOptions(args);
        const file = await convertAndDownload();
        const expectedName = file ? path.basename(file) : '(none)';
        const fromCli = runCli(log, ['convert', ...args, '--overwrite'], expectedName);
        check(file && fromCli.output && sameBytes(file, fromCli.output) &&
          expectedName.endsWith('.' + outputNames[to]), `${where}${name} ${args.join(' ')}: ${expectedName} byte for byte`);
        if (file) fs.unlinkSync(file);
      }
    }
  }
}

// The resident memory (kB) of the browser's processes: the tab's (its
// renderer, where the page and its worker run) and the browser's own.
function browserMemory() {
  const root = browser.process().pid;
  const parents = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      parents.set(Number(entry), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
    } catch { /* gone */ }
  }
  const under = (pid) => { for (let p = pid; p > 1; p = parents.get(p)) if (p === root) return true; return false; };
  const memory = { tab: 0, browser: 0 };
  for (const pid of parents.keys()) {
    if (!under(pid)) continue;
    try {
      const rss = Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${pid}/status`, 'utf8'))[1]);
      const command = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8');
      const renderer = command.includes('--type=renderer') || command.includes('-contentproc');
      if (renderer) memory.tab += rss;
      else if (pid === root) memory.browser += rss;
    } catch { /* gone */ }
  }
  return memory;
}

// The processor time (seconds, user and system) the browser's processes
// have taken so far, in all and in the tab's worker threads (where the
// converter runs).
function browserCpuSeconds() {
  const root = browser.process().pid;
  const parents = new Map(), ticks = new Map();
  const ticksOf = (stat) => {
    const rest = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    return { parent: Number(rest[1]), ticks: Number(rest[11]) + Number(rest[12]) };
  };
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const { parent, ticks: n } = ticksOf(fs.readFileSync(`/proc/${entry}/stat`, 'utf8'));
      parents.set(Number(entry), parent);
      ticks.set(Number(entry), n);
    } catch { /* gone */ }
  }
  const under = (pid) => { for (let p = pid; p > 1; p = parents.get(p)) if (p === root) return true; return false; };
  let all = 0, worker = 0;
  for (const [pid, n] of ticks) {
    if (!under(pid)) continue;
    all += n;
    try {
      for (const task of fs.readdirSync(`/proc/${pid}/task`)) {
        if (!/^DedicatedWorker|^DOM Worker/.test(fs.readFileSync(`/proc/${pid}/task/${task}/comm`, 'utf8'))) continue;
        worker += ticksOf(fs.readFileSync(`/proc/${pid}/task/${task}/stat`, 'utf8')).ticks;
      }
    } catch { /* gone */ }
  }
  return { all: all / 100, worker: worker / 100 };  // USER_HZ
}

// The peak resident memory (kB) of the tab and the browser's own process
// from now until stop(), sampled ten times a second, beside what they held
// at the start.
function memoryPeak() {
  const before = browserMemory();
  const peak = { ...before };
  const sample = () => {
    const now = browserMemory();
    peak.tab = Math.max(peak.tab, now.tab);
    peak.browser = Math.max(peak.browser, now.browser);
  };
  const timer = setInterval(sample, 100);
  return {
    stop() {
      clearInterval(timer);
      sample();
      return { before, peak, tabGrowthMB: (peak.tab - before.tab) / 1024 };
    },
  };
}

function memoryText(m) {
  const mb = (kb) => (kb / 1024).toFixed(0) + ' MB';
  return `tab ${mb(m.peak.tab)} (${mb(m.peak.tab - m.before.tab)} beyond the ${mb(m.before.tab)} before), ` +
    `browser process ${mb(m.peak.browser)} (${mb(m.before.browser)} before)`;
}

// The page against torvane-cli on one generated log: times, peak memory, bytes.
async function bench(epochs) {
  const log = path.join(work, 'bench.nmea');
  const out = fs.openSync(log, 'w');
  spawnSync(loggen, ['nmea-mix', String(epochs)], { stdio: ['ignore', out, 'inherit'] });
  fs.closeSync(out);
  const megabytes = (fs.statSync(log).size / 1e6).toFixed(1);
  // The wall-clock and processor seconds of torvane-cli's analysis and run.
  const timeCli = (prefix, to) => {
    const started = process.hrtime.bigint();
    const run = spawnSync('/usr/bin/time', ['-f', '%U %S', ...prefix, 'convert', 'bench.nmea', '--to', to, '--overwrite'],
      { cwd: work, encoding: 'utf8' });
    const wall = Number(process.hrtime.bigint() - started) / 1e9;
    const [user, system] = run.stderr.trim().split('\n').pop().split(' ').map(Number);
    return { wall, cpu: user + system };
  };
  const fastest = (runs) => runs.reduce((best, run) => (run.wall < best.wall ? run : best));

  const flat = (m, what) => check(m.tabGrowthMB < kFlatMemoryMB,
    `bench: ${megabytes} MB NMEA, ${what}: the tab's memory stays flat: ${memoryText(m)}`);
  let memory = memoryPeak();
  const started = process.hrtime.bigint();
  await drop(log);
  const analysed = Number(process.hrtime.bigint() - started) / 1e9;
  console.log(`bench: ${megabytes} MB NMEA analysed on dropping (the analysis and the picture's figures) in ` +
    `${analysed.toFixed(2)} s`);
  flat(memory.stop(), 'during the analysis');
  for (const to of benchTypes) {
    await setOptions(['--to', to]);
    memory = memoryPeak();
    let file = null;
    const pageRuns = [], oneCoreRuns = [];
    for (let i = 0; i < benchRepeats; i++) {
      if (file) fs.unlinkSync(file);
      let cpuBefore = null, cpu = null;
      file = await convertAndDownload(() => {
        const now = browserCpuSeconds();
        cpu = { all: now.all - cpuBefore.all, worker: now.worker - cpuBefore.worker };
      }, async () => { cpuBefore = browserCpuSeconds(); });
      pageRuns.push({
        wall: Number(await page.evaluate(() => document.getElementById('run-message').dataset.seconds)),
        cpu,
        times: JSON.parse(await page.evaluate(() => document.getElementById('run-message').dataset.times || '{}')),
        kept: await page.evaluate(() => document.getElementById('run-message').dataset.kept),
      });
      // torvane-cli on one core right after each run of the page, so that
      // each pair meets about the same load of a shared machine.
      oneCoreRuns.push(timeCli(['taskset', '-c', '0', cli], to));
    }
    const { wall: seconds, times, cpu: pageCpu } = fastest(pageRuns);
    const oneCoreRun = fastest(oneCoreRuns);
    const ratios = pageRuns.map((run, i) => run.wall / oneCoreRuns[i].wall);
    const allCores = fastest(Array.from({ length: benchRepeats }, () => timeCli([cli], to))).wall;
    const oneCore = oneCoreRun.wall;
    const name = file ? path.basename(file) : '(none)';
    const same = file && fs.existsSync(path.join(work, name)) && sameBytes(file, path.join(work, name));
    check(same, `bench: ${megabytes} MB NMEA -> ${to}: ${name} byte for byte`);
    console.log(`bench: ${megabytes} MB NMEA -> ${to}: page ${seconds.toFixed(2)} s (the run, from the analysis ` +
      `made on dropping), torvane-cli ${oneCore.toFixed(2)} s on one core, ${allCores.toFixed(2)} s on two ` +
      `(analysis and run): the page takes ${(seconds / oneCore).toFixed(2)} times the one core's time` +
      (benchRepeats > 1 ? `; run by run ${ratios.map((r) => r.toFixed(2)).join(', ')} times the one core's ` +
        `run after it, ${ratios.filter((r) => r <= 1.5).length} of ${ratios.length} within 1.5 times` : ''));
    const s = (ms) => (ms / 1000).toFixed(2) + ' s';
    console.log(`bench: ${megabytes} MB NMEA -> ${to}: the page's outputs kept ${pageRuns.map((run) => run.kept === 'storage' ? 'in the browser\'s storage' : 'as Blobs').join(', ')}`);
    if (times.call !== undefined) console.log(`bench: ${megabytes} MB NMEA -> ${to}: of the page's run, the worker's call ${s(times.call)}: ` +
      `writing the output ${s(times.writing)}, waiting for the log's slices ${s(times.waiting)}, the converter ` +
      `the rest ${s(times.call - times.writing - times.waiting)}`);
    console.log(`bench: ${megabytes} MB NMEA -> ${to}: processor time: the page's worker ${pageCpu.worker.toFixed(2)} s, ` +
      `the browser in all ${pageCpu.all.toFixed(2)} s, torvane-cli on one core ${oneCoreRun.cpu.toFixed(2)} s: the ` +
      `worker takes ${(pageCpu.worker / oneCoreRun.cpu).toFixed(2)} times torvane-cli's` +
      (benchRepeats > 1 ? ` (the fastest run of ${benchRepeats} each)` : ''));
    if (file) fs.unlinkSync(file);
    fs.rmSync(path.join(work, name), { force: true });
    flat(memory.stop(), `the run to ${to} and its download`);
  }
  fs.rmSync(log, { force: true });
}

try {
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('convert') !== null);
  if (benchEpochs > 0) {
    for (const epochs of benchSizes) await bench(epochs);
    await browser.close();
    server.close();
    fs.rmSync(work, { recursive: true, force: true });  // the log may be gigabytes
    process.exit(failures === 0 ? 0 : 1);
  }

  await screenshot('page-empty.png');
  const tabStops = [];
  for (let i = 0; i < 6; i++) {
    await page.keyboard.press('Tab');
    tabStops.push(await page.evaluate(() => document.activeElement.id));
  }
  check(tabStops[0] === 'file-input', 'the keyboard reaches the file picker first (' + tabStops.join(', ') + ')');

  await examplesByteForByte('');
  // Kept in the browser's storage where the served page's worker has it,
  // as Blobs from the disk (below).
  const kept = () => page.evaluate(() => document.getElementById('run-message').dataset.kept);
  check(await kept() === 'storage', 'the served page keeps its outputs in the browser\'s storage (' + await kept() + ')');
  check(await page.evaluate(() => window.torvanePicked) > 0,
    'the served page saves its outputs into the file the user picks, where the browser offers that');
  // The shaping boxes, shown by "Shape the track".
  await setOptions(['--to', 'gpx', '--split-gap', '30m', '--simplify', '5']);
  check(await page.$eval('#shape-boxes', (e) => !e.hidden), '"Shape the track" shows its boxes');
  await screenshot('page-shape.png');
  await setOptions([]);
  check(await page.$eval('#shape-boxes', (e) => e.hidden), '"Shape the track" unchecked hides its boxes');

  // A run that writes nothing: the option that would help, and the account of its lines.
  const zeros = path.join(work, 'zeros.nmea');
  const zero = '$GPGGA,101530.00,0000.0000,N,00000.0000,E,1,07,1.2,432.5,M,48.0,M,,*6E\r\n';
  fs.writeFileSync(zeros, zero + zero);
  await drop(zeros);
  await setOptions(['--to', 'table']);
  await convertAndDownload();
  const zerosMessage = await page.$eval('#run-message', (e) => e.textContent);
  check(zerosMessage.includes('Hint: 2 positions at 0,0 were eliminated; "Keep "zero" positions" writes them.') &&
    zerosMessage.includes('2  positions at 0,0, eliminated'), 'a run that writes nothing: its hint and account');
  await screenshot('page-hint.png');

  // An altitude the option refuses: said in the page's words, naming its
  // control, which stays open to correct it.
  await drop(path.join(examples, 'city-walk.nmea'));
  await page.select('#altitude-mode', 'add');
  await page.$eval('#altitude-value', (e) => { e.value = '5000'; e.dispatchEvent(new Event('change')); });
  await page.waitForFunction(() => document.getElementById('message').classList.contains('error'), { timeout: 20000 });
  const refused = await page.$eval('#message', (e) => e.textContent);
  const stillOpen = await page.evaluate(() => !document.getElementById('altitude-mode').disabled &&
    !document.getElementById('altitude-value').disabled);
  await page.$eval('#altitude-value', (e) => { e.value = '10'; e.dispatchEvent(new Event('change')); });
  await page.waitForFunction(() => !document.getElementById('convert').disabled, { timeout: 20000 });
  check(refused.startsWith('Altitude "add metres" takes a number of metres within -1000..1000') &&
    !refused.includes('torvane-cli') && stillOpen, 'a refused altitude: the page\'s words, its controls still open (' +
    refused + ')');
  await setOptions([]);

  // Several logs dropped at once: each converted with the same options, each
  // in the list with its download, byte for byte torvane-cli's.
  const several = ['city-walk.nmea', 'flight.igc', 'hike.gpx'].map((name) => path.join(examples, name));
  await drop(several);
  await setOptions(['--to', 'geojson']);
  await page.click('#convert');
  await page.waitForFunction(() => document.getElementById('run-message').textContent !== '', { timeout: 60000 });
  const listedNames = await page.$$eval('#results li', (list) => list.map((li) => li.querySelector('button')?.dataset.name));
  let allSame = listedNames.length === 3;
  for (const [i, log] of several.entries()) {
    const name = listedNames[i];
    if (!name) break;
    await page.click(`#results li:nth-child(${i + 1}) button:first-child`);
    const file = await downloaded(name);
    const fromCli = runCli(log, ['convert', '--to', 'geojson', '--overwrite'], name);
    allSame = allSame && fromCli.output && sameBytes(file, fromCli.output);
    fs.unlinkSync(file);
  }
  check(allSame, 'three logs dropped at once: each converted, listed and downloaded byte for byte (' +
    listedNames.join(', ') + ')');
  await screenshot('page-several.png');

  // A FIT and a TCX log (the formats the page names are the converter's
  // own): each output byte for byte torvane-cli's.
  const formats = await page.$eval('#formats', (e) => e.textContent);
  for (const [kind, name, word, format] of [['fit', 'ride.fit', 'GPFIT', 'FIT'], ['tcx', 'ride.tcx', 'GPTCX', 'TCX']]) {
    const log = path.join(work, name);
    fs.writeFileSync(log, spawnSync(loggen, [kind, '3000'], { maxBuffer: 1 << 26 }).stdout);
    await drop(log);
    const dataType = await page.$eval('#data-type', (e) => e.textContent);
    let same = true;
    for (const to of Object.keys(outputNames)) {
      await setOptions(['--to', to]);
      const file = await convertAndDownload();
      const fromCli = runCli(log, ['convert', '--to', to, '--overwrite'], file ? path.basename(file) : '(none)');
      same = same && file && fromCli.output && sameBytes(file, fromCli.output);
      if (file) fs.unlinkSync(file);
    }
    check(formats.includes(format) && dataType.startsWith('Data type: ' + word) && same,
      `a ${format} log: named among the formats ${formats.trim()}, recognised, each output byte for byte`);
  }
  await setOptions([]);

  // An unrecognised GPX log is named as chosen, not by its CR LF copy.
  const emptyGpx = path.join(work, 'empty.gpx');
  fs.writeFileSync(emptyGpx, '<?xml version="1.0"?>\n<gpx><metadata/></gpx>\n');
  await drop(emptyGpx);
  const emptyMessage = await page.$eval('#message', (e) => e.textContent);
  check(emptyMessage.includes('empty.gpx') && !emptyMessage.includes('_CRLF'),
    'an unrecognised GPX log is named as chosen (' + emptyMessage + ')');

  // A file of no known kind, and one the reading stops in.
  const unknown = path.join(work, 'notes.txt');
  fs.writeFileSync(unknown, 'shopping list\r\nmilk\r\n');
  await drop(unknown);
  const unknownMessage = await page.$eval('#message', (e) => e.textContent);
  check(runCli(unknown, ['analyze']).stdout.startsWith(unknownMessage + '\n') &&
    await page.$eval('#message', (e) => e.classList.contains('error')) &&
    await page.$eval('#convert', (e) => e.disabled), 'an unrecognised file: its message, shown as an error, no run');
  const broken = path.join(work, 'broken.nmea');
  fs.writeFileSync(broken, '$GPGGA,' + 'x'.repeat(5 << 20) + '\r\n');
  await drop(broken);
  const brokenMessage = await page.$eval('#message', (e) => e.textContent);
  const cliBroken = runCli(broken, ['analyze']);
  check(cliBroken.status === 2 && cliBroken.stderr.trim() === 'torvane-cli: ' + brokenMessage &&
    await page.$eval('#convert', (e) => e.disabled), 'a broken file (a 5 MiB line): its message (' + brokenMessage + ')');
  await screenshot('page-error.png');

  // Readable at 200 % zoom: the page reflows into half the width, no sideways scrolling.
  await page.setViewport({ width: 550, height: 900, deviceScaleFactor: 2 });
  check(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
    'at 200 % zoom the page needs no sideways scrolling');
  await screenshot('page-error-200-percent.png');
  await page.setViewport({ width: 1100, height: 900 });

  // On a phone (390 x 844 CSS px): an analysed log, no sideways scrolling.
  // (A mobile viewport loads the page again.)
  await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  await page.waitForFunction(() => document.getElementById('convert') !== null);
  await drop(path.join(examples, 'city-walk.nmea'));
  check(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth),
    'on a phone (390 x 844) the page needs no sideways scrolling');
  await screenshot('page-phone-390x844.png');
  // The narrowest phones (320 CSS px), with the widest boxes shown.
  await page.setViewport({ width: 320, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  await page.waitForFunction(() => document.getElementById('convert') !== null);
  await drop(path.join(examples, 'city-walk.nmea'));
  await setOptions(['--to', 'kml', '--simplify', '5']);
  check(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth &&
    [...document.querySelectorAll('fieldset')].every((set) => set.getBoundingClientRect().right <= window.innerWidth)),
  'on a phone 320 px wide the page and its boxes need no sideways scrolling');
  await screenshot('page-phone-320x640.png');
  await setOptions([]);
  // A laptop's window (1366 x 768): "3. Convert" beside the picture, its
  // START shown without scrolling, also with KML's options shown.
  await page.setViewport({ width: 1366, height: 768 });
  await page.waitForFunction(() => document.getElementById('convert') !== null);
  await drop(path.join(examples, 'hike.gpx'));
  for (const [args, shown, picture] of [[[], '', 'page-1366x768.png'], [['--to', 'kml'], ' with KML\'s options', 'page-1366x768-kml.png']]) {
    await setOptions(args);
    await page.evaluate(() => window.scrollTo(0, 0));
    check(await page.evaluate(() => document.getElementById('output-heading').getBoundingClientRect().top >= 0 &&
      document.getElementById('convert').getBoundingClientRect().bottom <= window.innerHeight &&
      !document.getElementById('preview-figure').hidden), `at 1366 x 768${shown} "3. Convert" and its START show without scrolling`);
    await page.screenshot({ path: path.join(buildWeb, 'screenshots', picture) });
  }
  await setOptions([]);
  await page.setViewport({ width: 1100, height: 900 });
  await page.waitForFunction(() => document.getElementById('convert') !== null);

  // About 100 MB: converts, with its progress shown.
  const large = path.join(work, 'large.nmea');
  fs.writeFileSync(large, spawnSync(loggen, ['nmea-mix', '250000'], { maxBuffer: 1 << 30 }).stdout);
  await drop(large);
  const progressSeen = await page.evaluate(() => window.torvaneSeen.progress);
  await page.evaluate(() => { window.torvaneSeen.progress = false; });
  await setOptions(['--to', 'kml']);
  // Cancelled during the run: nothing offered; the next run works.
  await page.evaluate(() => { document.getElementById('run-message').textContent = ''; });
  await page.click('#convert');
  // Cancel pressed as soon as the bar shows, within the page: a run on a
  // quiet machine may be done before a click from outside arrives.
  await page.waitForFunction(() => {
    if (document.getElementById('progress-box').hidden) return false;
    document.getElementById('cancel').click();
    return true;
  }, { timeout: 20000, polling: 'mutation' });
  await page.waitForFunction(() => document.getElementById('run-message').textContent !== '', { timeout: 20000 });
  const cancelledText = await page.$eval('#run-message', (e) => e.textContent);
  check(/cancelled/.test(cancelledText) && await page.$eval('#download', (e) => e.hidden),
    'a run cancelled: said so, nothing offered (' + cancelledText + ')');
  const largeKml = await convertAndDownload();
  const runProgressSeen = await page.evaluate(() => window.torvaneSeen.progress);
  const fromCli = runCli(large, ['convert', '--to', 'kml', '--overwrite'], largeKml ? path.basename(largeKml) : 'x');
  check(progressSeen && runProgressSeen && largeKml && fromCli.output && sameBytes(largeKml, fromCli.output),
    `a ${(fs.statSync(large).size / 1e6).toFixed(0)} MB log: analysed and converted with progress shown, ` +
    'the KML byte for byte');

  fs.rmSync(fromCli.dir, { recursive: true, force: true });

  // About 600 MB (the log above six times): analysed and converted with the
  // tab's memory flat, the KML byte for byte.
  const huge = path.join(work, 'huge.nmea');
  const largeBytes = fs.readFileSync(large);
  for (let i = 0; i < 6; i++) fs.appendFileSync(huge, largeBytes);
  const hugeMB = (fs.statSync(huge).size / 1e6).toFixed(0);
  let memory = memoryPeak();
  await drop(huge);
  const analysing = memory.stop();
  await setOptions(['--to', 'kml']);
  memory = memoryPeak();
  let running = null;
  await page.evaluate(() => { window.torvaneSeen.shown = []; });
  const hugeKml = await convertAndDownload(() => { running = memory.stop(); }, async () => {
    await page.waitForFunction(() => document.getElementById('progress-label').textContent.includes(' MB of '),
      { timeout: 20000 });
    await screenshot('page-progress.png');
  });
  // The run starts from the analysis made on dropping: one bar, one step,
  // named, that only ever fills.
  const shown = (await page.evaluate(() => window.torvaneSeen.shown)).filter(([, label]) => label.includes(' MB of '));
  check(shown.length > 0 && shown.every(([value, label], i) => /: writing the output, /.test(label) &&
    (i === 0 || value >= shown[i - 1][0])), `a ${hugeMB} MB log: the run's progress bar fills once, naming its ` +
    `step (${shown.length ? shown[shown.length - 1][1] : 'not shown'})`);
  const hugeCli = runCli(huge, ['convert', '--to', 'kml', '--overwrite'], hugeKml ? path.basename(hugeKml) : 'x');
  check(hugeKml && hugeCli.output && sameBytes(hugeKml, hugeCli.output) &&
    analysing.tabGrowthMB < kFlatMemoryMB && running && running.tabGrowthMB < kFlatMemoryMB,
    `a ${hugeMB} MB log: the KML byte for byte, the tab's memory flat (less than ${kFlatMemoryMB} MB more): ` +
    `analysis ${memoryText(analysing)}; run ${running ? memoryText(running) : 'not measured'}`);
  if (hugeKml) fs.unlinkSync(hugeKml);
  fs.rmSync(hugeCli.dir, { recursive: true, force: true });
  fs.rmSync(huge, { force: true });

  check(pageErrors.length === 0, 'no error on the page' + (pageErrors.length ? ': ' + pageErrors.join('; ') : ''));
  const own = new Set(['/index.html', '/torvane.js', '/torvane.wasm']);
  check(requests.every((r) => own.has(r)), 'the page asks only for its own files (' + [...new Set(requests)].join(' ') + ')');

  // WebAssembly that does not start, and a browser whose WebAssembly has
  // no SIMD: the page says so and what to do.
  await page.evaluateOnNewDocument(() => {
    if (location.search === '?no-simd') WebAssembly.validate = () => false;
  });
  for (const [where, what, said] of [['broken/', 'WebAssembly that does not start', /WebAssembly could not start/],
    ['?no-simd', 'WebAssembly without SIMD', /could not start \(this browser's WebAssembly has no SIMD\)/]]) {
    await page.goto(url + where);
    const brokenWasm = await waitFor(() => page.$eval('#message', (e) => e.classList.contains('error') && e.textContent),
      20, 'the page to say its WebAssembly cannot start');
    check(said.test(brokenWasm) && /Reload the page/.test(brokenWasm) && /SIMD: Chrome or Edge 91/.test(brokenWasm),
      what + ': the page says so and what to do');
  }

  // Opened from the disk: index.html cannot start its worker in Chromium
  // and says what to do (Firefox starts it from the folder, and the page
  // works); torvane.html, the page in one file, works there as served.
  await page.goto('file://' + path.join(buildWeb, 'index.html'));
  const fromDisk = await waitFor(() => page.evaluate(() => {
    const message = document.getElementById('message');
    if (message.classList.contains('error')) return message.textContent;
    return document.getElementById('formats').textContent !== '' && 'started';
  }), 20, 'index.html from the disk to start its converter or say it cannot');
  check(firefox ? fromDisk === 'started' : /could not start/.test(fromDisk) && fromDisk.includes('torvane.html'),
    firefox ? 'index.html from the disk starts its converter in Firefox' :
      'index.html from the disk says its converter cannot start and to open torvane.html');
  await screenshot('page-from-disk.png');
  pageErrors.length = 0;
  await page.goto('file://' + path.join(buildWeb, 'torvane.html'));
  await examplesByteForByte('torvane.html from the disk: ');
  check(await kept() === 'blobs', 'torvane.html from the disk keeps its outputs as Blobs (' + await kept() + ')');
  check(pageErrors.length === 0, 'no error in torvane.html' + (pageErrors.length ? ': ' + pageErrors.join('; ') : ''));
} catch (error) {
  console.log('FAIL ' + error.stack);
  failures++;
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(failures === 0 ? 'all page tests passed' : failures + ' page tests failed');
process.exit(failures === 0 ? 0 : 1);
