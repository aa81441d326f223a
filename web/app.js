// The page: takes a dropped or chosen log, has the worker (torvane.js, the
// core compiled to WebAssembly) analyse it with torvane-cli's options, shows
// the message, the data type, the track's picture and figures, converts it
// and offers the output for download. Nothing leaves the computer.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  let worker = null;
  let workerFailure = '';  // why the converter could not start; empty while it can
  let nextId = 1;
  const pending = new Map();
  let file = null;          // the log analysed and shown, the first of those chosen
  let chosen = [];          // the logs chosen together: a run converts each
  let waiting = [];         // logs chosen while the page was busy, taken up after
  let workerFile = null;    // the log the worker holds
  let analysed = null;      // the last analysis's result
  let busy = false;
  let analyseAfter = false; // an option changed while busy
  let cancelled = false;
  // What the page is doing, for the progress bar: one bar over all the calls
  // of the work (each log of a run, each of the call's steps).
  let work = { text: '', index: 0, count: 1 };
  const downloads = { output: null, copy: null, preview: null };
  let listed = [];          // the object URLs of the list of a run of several logs

  // The worker's script: torvane.js beside the page, or, in torvane.html
  // (the page in one file), the script and the WebAssembly inside the page,
  // started from a Blob URL so that it runs from the disk (file://) too.
  let workerUrl = '';
  function workerScript() {
    if (workerUrl) return workerUrl;
    const script = document.getElementById('torvane-js');
    if (!script) return (workerUrl = 'torvane.js');
    const binary = (text) => Uint8Array.from(atob(text.trim()), (c) => c.charCodeAt(0));
    const wasm = document.getElementById('torvane-wasm').textContent.trim();
    const prelude = 'var Module = { wasmBinary: Uint8Array.from(atob("' + wasm +
      '"), function (c) { return c.charCodeAt(0); }) };\n';
    return (workerUrl = URL.createObjectURL(new Blob([prelude, binary(script.textContent)], { type: 'text/javascript' })));
  }

  const fromDisk = location.protocol === 'file:';
  const whatToDo = fromDisk && !document.getElementById('torvane-js')
    ? ' Opened from the disk, this page cannot start its converter: open torvane.html (the page in one file, ' +
      'beside index.html in build-web) instead, or serve the folder build-web with a web server ' +
      '(python3 -m http.server -d build-web, then http://localhost:8000/).'
    : ' Reload the page; if that does not help, use a current version of Chrome, Edge, Firefox or Safari ' +
      '(the page needs Web Workers and WebAssembly with SIMD: Chrome or Edge 91, Firefox 89, Safari 16.4 or later).';

  // Whether the browser runs WebAssembly's SIMD, in which the converter
  // scans the log's bytes: a function giving a vector of 16 bytes.
  const simdModule = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0,
    10, 8, 1, 6, 0, 65, 0, 253, 15, 11]);

  // Everything asked of a worker that is gone gets this answer.
  function answerAll(text) {
    pending.forEach((resolve) => resolve({ result: { failed: true, outcome: 'failed', message: text }, files: {} }));
    pending.clear();
  }

  // The browser's own words for a failure, inside a sentence of the page.
  const said = (error) => String((error && error.message) || error || 'no reason given').replace(/[.\s]+$/, '');

  function converterFailed(text) {
    workerFailure = text + whatToDo;
    showMessage($('message'), workerFailure, true);
    answerAll(workerFailure);
  }

  // The file formats the converter reads, as its table of kinds names them.
  function showFormats(formats) {
    $('formats').textContent = formats.length > 0 ? ' (' + formats.join(', ') + ')' : '';
  }

  // The page's folder in the browser's storage, where a served page's worker
  // keeps a run's outputs (opfs_files.js in the worker): the page's own,
  // held by a lock of its name while the page is open, so that no other
  // page removes it as left over from an earlier visit.
  const storage = 'torvane-' + Date.now().toString(36) + '-' + Math.random().toString(36).slice(2);
  try {
    navigator.locks.request(storage, () => new Promise(() => {})).catch(() => {});
  } catch (error) {
    // No locks here: the worker leaves other pages' folders be.
  }

  let inStorage = false;  // whether the worker keeps the outputs there (else as Blobs)

  // Starts the worker (again, after a cancelled run); false where it cannot start.
  function startWorker() {
    workerFailure = '';
    let ready = false;
    try {
      if (typeof WebAssembly !== 'object') throw new Error('this browser has no WebAssembly');
      if (!WebAssembly.validate(simdModule)) throw new Error('this browser\'s WebAssembly has no SIMD');
      worker = new Worker(workerScript());
    } catch (error) {
      worker = null;
      converterFailed('The converter could not start (' + said(error) + ').');
      return false;
    }
    const readAhead = torvaneReadAhead(worker);
    worker.onmessage = (event) => {
      const message = event.data;
      if (readAhead.handle(message)) return;
      if (message.type === 'ready') {
        ready = true;
        showFormats(message.formats || []);
        return;
      }
      if (message.type === 'failed') {
        converterFailed('The converter\'s WebAssembly could not start (' + said(message.message) + ').');
        return;
      }
      if (message.type === 'progress') {
        showProgress(message);
        return;
      }
      const resolve = pending.get(message.id);
      pending.delete(message.id);
      if (resolve) resolve(message);
    };
    // A worker that cannot load its script, or stops (out of memory, say),
    // answers what it was asked with its failure.
    worker.onerror = (event) => {
      event.preventDefault();
      if (!ready) {
        converterFailed('The converter could not start (' + said(event.message || 'its script torvane.js did not load') + ').');
      } else {
        const text = 'The converter stopped: ' + (event.message || 'unknown error') + '. Reload the page to go on.';
        showMessage($('message'), text, true);
        answerAll(text);
      }
    };
    inStorage = false;
    if (!fromDisk) ask('storage', { directory: storage }).then((answer) => { inStorage = Boolean(answer.result.storage); });
    return true;
  }

  function ask(type, extra) {
    const id = nextId++;
    return new Promise((resolve) => {
      if (workerFailure || !worker) {
        resolve({ result: { failed: true, outcome: 'failed', message: workerFailure }, files: {} });
        return;
      }
      pending.set(id, resolve);
      worker.postMessage(Object.assign({ id: id, type: type }, extra));
    });
  }

  // Sizes as the browser's own file dialogs and downloads give them: 1 MB = 10^6 bytes.
  function megabytes(bytes) { return (bytes / 1e6).toFixed(1) + ' MB'; }

  // The steps of a call, as the worker names them: each a pass over the log.
  const stepNames = {
    analysis: 'reading the log',
    figures: 'measuring the track for its picture',
    output: 'writing the output',
  };

  function showProgress(report) {
    $('progress-box').hidden = false;
    const steps = report.steps || 1, step = report.step || 1;
    const part = report.total > 0 ? Math.min(1, report.done / report.total) : 0;
    const overall = (work.index + (step - 1 + part) / steps) / work.count;
    $('progress').value = Math.round(100 * overall);
    const name = stepNames[report.what] || 'reading the log';
    const which = steps > 1 ? 'step ' + step + ' of ' + steps + ', ' : '';
    $('progress-label').textContent = work.text + ': ' + which + name + ', ' + megabytes(report.done) + ' of ' +
      megabytes(report.total) + ' (' + Math.round(100 * overall) + ' % in all)';
  }

  function startWork(text, bytes) {
    busy = true;
    cancelled = false;
    work = { text: text, index: 0, count: 1 };
    $('progress').value = 0;
    $('progress-label').textContent = text + '…';
    $('progress-box').hidden = bytes < 1e6;  // a small log is done before it could be seen
    $('convert').disabled = true;
  }

  function endWork() {
    busy = false;
    $('progress-box').hidden = true;
    $('convert').disabled = !(analysed && analysed.recognised);
    if (waiting.length > 0) {
      const next = waiting;
      waiting = [];
      $('waiting').textContent = '';
      setTimeout(() => choose(next), 0);
    } else if (analyseAfter) {
      analyseAfter = false;
      setTimeout(analyse, 0);
    }
  }

  // Cancel: the core's call cannot be ended midway from outside, so the
  // worker is stopped and a new one started; what it was writing goes with
  // it, nothing is offered.
  function cancel() {
    if (!busy || !worker) return;
    cancelled = true;
    worker.terminate();
    worker = null;
    const answer = { result: { failed: true, cancelled: true, outcome: 'cancelled', message: '' }, files: {} };
    pending.forEach((resolve) => resolve(answer));
    pending.clear();
    workerFile = null;
    startWorker();
  }

  // The worker holds `chosen` (as read from the disk in blocks).
  async function hold(chosenFile) {
    if (workerFile === chosenFile) return;
    const answer = await ask('file', { file: chosenFile });
    if (!answer.result.failed) workerFile = chosenFile;
  }

  function showMessage(element, text, error) {
    element.textContent = text;
    element.classList.toggle('error', Boolean(error));
  }

  // A file the worker wrote (a Blob, its bytes kept by the browser) offered
  // for download under `name`.
  function offer(kind, name, blob, type) {
    if (downloads[kind]) URL.revokeObjectURL(downloads[kind].url);
    downloads[kind] = blob ? { name: name, blob: blob, url: URL.createObjectURL(new Blob([blob], { type: type })) } : null;
    return downloads[kind];
  }

  function download(name, url) {
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
  }

  // Saves an output: where the browser lets the page write a file the user
  // picks (the File System Access API), streamed into it from the Blob;
  // otherwise as a download. Either way the output is never whole in the
  // page's memory.
  async function saveAs(name, url, blob) {
    if (typeof window.showSaveFilePicker !== 'function') {
      download(name, url);
      return;
    }
    let handle;
    try {
      handle = await window.showSaveFilePicker({ suggestedName: name });
    } catch (error) {
      if (error && error.name === 'AbortError') return;  // no file picked
      download(name, url);  // the picker is not to be had here (a page from the disk, say)
      return;
    }
    try {
      await blob.stream().pipeTo(await handle.createWritable());
    } catch (error) {
      showMessage($('run-message'), name + ' could not be saved (' + said(error) + '). Press its button again to ' +
        'choose another place.', true);
    }
  }

  function save(kind) {
    const item = downloads[kind];
    if (item) saveAs(item.name, item.url, item.blob);
  }

  function outputType() { return document.querySelector('input[name="to"]:checked').value; }

  // The page's controls for torvane-cli's options, for its messages.
  const controls = {
    '--altitude-add': 'Altitude "add metres"',
    '--altitude-set': 'Altitude "set to metres"',
    '--date': '"Date of the first position"',
    '--kml-name': 'KML path "Name"',
    '--kml-description': 'KML path "Description"',
    '--kml-color': 'KML path "Colour"',
    '--ovl-color': 'TOP overlay "Colour"',
    '--ovl-width': 'TOP overlay "Line width (pixels)"',
    '--ovl-map-name': 'TOP overlay "Map name"',
    '--kml-time': 'KML path "Time track (Google Earth\'s time slider)"',
    '--from': 'Shape the track "From"',
    '--until': 'Shape the track "Until"',
    '--time-shift': 'Shape the track "Time shift"',
    '--split-gap': 'Shape the track "Split at pauses over"',
    '--split-day': 'Shape the track "Split at each UTC day"',
    '--simplify': 'Shape the track "Simplify within (m)"',
    '--max-points': 'Shape the track "At most (positions)"',
  };

  // A refused option in the page's words: its control, not the command line's option.
  function pageWords(message) {
    if (!message || !message.startsWith('torvane-cli: ')) return message;
    let text = message.slice('torvane-cli: '.length);
    Object.keys(controls).forEach((option) => { text = text.split(option).join(controls[option]); });
    return text.charAt(0).toUpperCase() + text.slice(1) + '.';
  }

  // The altitude as the option takes it: the number as typed (the option's
  // own rule decides), or its plain decimal form where the browser gives an
  // exponent. Empty where the field holds no number.
  function altitudeText() {
    const text = $('altitude-value').value.trim();
    if (text === '' || !/e/i.test(text)) return text;
    const plain = String(Number(text));
    return /e/i.test(plain) ? text : plain;
  }

  // The options that decide what analysis recognises and which positions
  // are kept: analysis, preview and run alike.
  function positionArgs() {
    const args = [];
    if ($('any-talker').checked) args.push('--any-talker');
    if ($('verify-checksums').checked) args.push('--verify-checksums');
    if ($('any-recorder').checked) args.push('--any-recorder');
    if ($('igc-gnss-altitude').checked && !$('igc-gnss-altitude').disabled) args.push('--igc-gnss-altitude');
    if ($('keep-zero').checked) args.push('--keep-zero-positions');
    if ($('fix-only').checked) args.push('--fix-only');
    const mode = $('altitude-mode').value;
    if (mode && !$('altitude-mode').disabled) {
      args.push(mode === 'add' ? '--altitude-add' : '--altitude-set', altitudeText());
    }
    if ($('first-date').value) args.push('--date', $('first-date').value);
    return args;
  }

  // What keeps the options from being taken, in the page's words; empty when nothing does.
  function optionsProblem() {
    if ($('altitude-mode').value && !$('altitude-mode').disabled && altitudeText() === '') {
      return 'Altitude: give a number of metres within -1000..1000.';
    }
    return '';
  }

  function runArgs() {
    const to = outputType();
    const args = ['--to', to].concat(positionArgs());
    const text = (id, option) => { if ($(id).value !== '') args.push(option, $(id).value); };
    if (to === 'table' && $('decimal-comma').checked) args.push('--decimal-comma');
    if (to === 'kml') {
      text('kml-name', '--kml-name');
      text('kml-description', '--kml-description');
      text('kml-color', '--kml-color');
      if (!$('kml-extrude').checked) args.push('--kml-extrude', '0');
      if (!$('kml-tessellate').checked) args.push('--kml-tessellate', '0');
      if ($('kml-absolute').checked) args.push('--kml-absolute');
      if ($('kml-time').checked) args.push('--kml-time');
    }
    if (to === 'ovl') {
      text('ovl-color', '--ovl-color');
      text('ovl-width', '--ovl-width');
      text('ovl-map-name', '--ovl-map-name');
    }
    // The shaping boxes only where "Shape the track" is checked, as in the window.
    if ($('shape-track').checked) {
      const box = (id, option) => { if ($(id).value.trim() !== '') args.push(option, $(id).value.trim()); };
      box('shape-from', '--from');
      box('shape-until', '--until');
      box('shape-shift', '--time-shift');
      box('shape-gap', '--split-gap');
      if ($('shape-day').checked) args.push('--split-day');
      box('shape-simplify', '--simplify');
      box('shape-max', '--max-points');
    }
    return args;
  }

  function showOptionsFor(to) {
    document.querySelectorAll('fieldset[data-for]').forEach((set) => { set.hidden = set.dataset.for !== to; });
  }

  function clearRun() {
    showMessage($('run-message'), '');
    $('download').hidden = true;
    $('download-copy').hidden = true;
  }

  // The figures under the picture in words and units, as the window shows them.
  function durationText(seconds, fallback) {
    if (!Number.isFinite(seconds) || seconds < 0) return fallback;
    const whole = Math.floor(seconds);
    const h = Math.floor(whole / 3600), m = Math.floor(whole / 60) % 60, sec = whole % 60;
    if (h > 0) return h.toLocaleString() + ' h ' + m + ' min';
    if (m > 0) return m + ' min ' + sec + ' s';
    return sec + ' s';
  }
  const whole = (value) => Math.floor(value + 0.5).toLocaleString();
  function lengthText(metres) {
    if (metres < 1000) return whole(metres) + ' m';
    const digits = metres < 10000 ? 2 : 1;
    return (metres / 1000).toLocaleString(undefined, { minimumFractionDigits: digits, maximumFractionDigits: digits }) +
      ' km';
  }
  function figureRows(f) {
    if (f.records <= 0) return [['Positions', (0).toLocaleString()]];
    const rows = [['Positions', f.records.toLocaleString()]];
    if (f.hasTime) {
      if (f.dated) {
        const day = (ms) => new Date(ms).toLocaleDateString(undefined, { timeZone: 'UTC', dateStyle: 'short' });
        const time = (ms) => new Date(ms).toISOString().slice(11, 19);
        rows.push(['Start', day(f.startUtc) + ' ' + time(f.startUtc) + ' UTC']);
        rows.push(['End', (day(f.endUtc) === day(f.startUtc) ? '' : day(f.endUtc) + ' ') + time(f.endUtc) + ' UTC']);
      } else {
        rows.push(['Start', f.startClock], ['End', f.endClock]);
      }
      rows.push(['Duration', f.timesGoBack ? 'none: the times go back' : durationText(f.duration, f.durationClock)]);
    }
    // Each figure that is counted by a rule says it beside the value, in the window's words.
    const ruled = (value, rule) => value + ' (' + rule + ')';
    const speedText = (metresPerSecond) => (metresPerSecond * 3.6).toLocaleString(undefined,
      { minimumFractionDigits: 1, maximumFractionDigits: 1 }) + ' km/h';
    if (f.hasMotion) rows.push(['Moving time', ruled(durationText(f.movingSeconds, '-'), f.movingRule)]);
    if (f.hasPosition) rows.push(['Length', lengthText(f.lengthMetres)]);
    if (f.hasMotion) {
      rows.push(['Top speed', speedText(f.speedMax)]);
      if (f.movingSeconds > 0) rows.push(['Average speed', ruled(speedText(f.speedAverage), f.averageRule)]);
    }
    if (f.hasClimb) {
      rows.push(['Climb', ruled(whole(f.climbMetres) + ' m up, ' + whole(f.descentMetres) + ' m down', f.climbRule)]);
    }
    if (f.hasAltitude) {
      const low = whole(f.altMin), high = whole(f.altMax);
      rows.push(['Altitude', (low === high ? low : low + (f.altMin < 0 ? ' to ' : '\u2013') + high) + ' m']);
    }
    if (f.heartRateMax !== undefined) {
      rows.push(['Heart rate', whole(f.heartRateAverage) + ' bpm average, ' + whole(f.heartRateMax) + ' max']);
    }
    if (f.powerMax !== undefined) rows.push(['Power', whole(f.powerAverage) + ' W average, ' + whole(f.powerMax) + ' max']);
    return rows;
  }
  function showFigures(figures) {
    const table = $('figures');
    table.textContent = '';
    figureRows(figures).forEach(([name, value]) => {
      const row = table.insertRow();
      const head = document.createElement('th');
      head.scope = 'row';
      head.textContent = name;
      row.appendChild(head);
      row.insertCell().textContent = value;
    });
  }

  async function analyse() {
    if (!file) return;
    if (busy) {
      analyseAfter = true;
      return;
    }
    clearRun();
    const problem = optionsProblem();
    if (problem) {
      analysed = null;
      showMessage($('message'), problem, true);
      $('convert').disabled = true;
      return;
    }
    startWork('Analysing ' + file.name, file.size);
    await hold(file);
    const answer = await ask('analyze', { args: positionArgs() });
    const result = answer.result;
    analysed = result.cancelled ? null : result;
    endWork();
    if (result.cancelled) {
      showMessage($('message'), 'The analysis of ' + file.name + ' was cancelled. Drop or choose the log again to analyse it.', true);
      $('data-type').textContent = '';
      $('preview-figure').hidden = true;
      return;
    }
    const refused = result.failed || !result.recognised;
    showMessage($('message'), pageWords(result.message), refused);
    // A refused option leaves the controls as they are: they are needed to correct it.
    if (result.failed && !('recognised' in result)) return;
    $('data-type').textContent = result.failed ? '' :
      'Data type: ' + result.dataType + ' (' + result.detectedRecords + ' records detected)' +
      (result.recognised && !result.preview && result.previewError ? '. No picture: ' + result.previewError : '');
    $('kml-description').placeholder = result.kmlDescription || '';
    if (!result.failed) {
      $('igc-gnss-altitude').disabled = !result.igc;
      $('altitude-mode').disabled = !result.altitude;
      $('altitude-value').disabled = !result.altitude || !$('altitude-mode').value;
    }
    const figure = $('preview-figure');
    const picture = result.preview && answer.files[result.preview];
    if (picture) {
      const item = offer('preview', result.preview, picture, 'image/svg+xml');
      $('preview').src = item.url;
      $('preview').alt = 'The track of ' + file.name + ' to scale, north up, and its altitude profile';
      showFigures(result.figures);
      $('download-preview').textContent = 'Download picture ' + result.preview;
      figure.hidden = false;
    } else {
      figure.hidden = true;
    }
  }

  // The message of a run as the page shows it.
  function runText(result) {
    if (result.cancelled) return 'The run was cancelled: nothing was written.';
    let text = pageWords(result.message);
    if (result.undated) {
      text += '\nThe log holds no date: its positions are written without times. ' +
        'Give the date of the first position under Positions.';
    }
    if (result.account) text += '\n\n' + result.account.trim();
    return text;
  }

  function downloadButton(text, name, blob) {
    const url = URL.createObjectURL(new Blob([blob], { type: 'application/octet-stream' }));
    listed.push(url);
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = text + name;
    button.dataset.name = name;
    button.addEventListener('click', () => saveAs(name, url, blob));
    return button;
  }

  // One log of a run of several: its line in the list, with its downloads.
  function listResult(chosenFile, answer) {
    const result = answer.result;
    const item = document.createElement('li');
    const name = document.createElement('strong');
    name.textContent = chosenFile.name;
    const message = document.createElement('pre');
    message.className = 'message' + (result.outcome === 'failed' || result.cancelled ? ' error' : '');
    message.textContent = runText(result);
    item.append(name, message);
    const output = result.output && answer.files[result.output];
    const copy = result.gpxCopy && answer.files[result.gpxCopy];
    if (output || copy) {
      const buttons = document.createElement('p');
      buttons.className = 'downloads';
      if (output) buttons.appendChild(downloadButton('Download ', result.output, output));
      if (copy) buttons.appendChild(downloadButton('Download the GPX copy ', result.gpxCopy, copy));
      item.appendChild(buttons);
    }
    $('results').appendChild(item);
  }

  function clearList() {
    listed.forEach((url) => URL.revokeObjectURL(url));
    listed = [];
    $('results').textContent = '';
  }

  async function convert(event) {
    event.preventDefault();
    if (!file || busy || !analysed || !analysed.recognised) return;
    clearRun();
    clearList();
    const logs = chosen.slice();
    const several = logs.length > 1;
    const args = runArgs();
    startWork('Converting ' + file.name, logs.reduce((sum, log) => sum + log.size, 0));
    work.count = logs.length;
    const started = performance.now();
    let answer = null;
    const outcomes = { written: 0, nothing: 0, failed: 0 };
    // Where the worker's time went (its calls, writing, waiting for slices), for the bench.
    const times = { call: 0, writing: 0, waiting: 0 };
    for (let i = 0; i < logs.length && !cancelled; i++) {
      work.index = i;
      work.text = 'Converting ' + logs[i].name + (several ? ' (log ' + (i + 1) + ' of ' + logs.length + ')' : '');
      $('progress-label').textContent = work.text + '…';
      await hold(logs[i]);
      answer = await ask('convert', { args: args, freshRun: i === 0 });
      Object.keys(times).forEach((name) => { times[name] += (answer.times && answer.times[name]) || 0; });
      if (several) listResult(logs[i], answer);
      if (!answer.result.cancelled) outcomes[answer.result.outcome in outcomes ? answer.result.outcome : 'failed']++;
    }
    const seconds = (performance.now() - started) / 1000;
    // The worker holds the log shown again, for the next analysis.
    if (!cancelled && workerFile !== file) await hold(file);
    endWork();
    $('run-message').dataset.seconds = seconds.toFixed(3);
    $('run-message').dataset.times = JSON.stringify(times);
    $('run-message').dataset.kept = inStorage ? 'storage' : 'blobs';
    if (several) {
      const done = outcomes.written + outcomes.nothing + outcomes.failed;
      let text = done + ' of ' + logs.length + ' logs converted with the same options: ' + outcomes.written +
        ' written, ' + outcomes.nothing + ' with nothing to write, ' + outcomes.failed + ' failed.';
      if (cancelled) text += ' The run was cancelled: the log it was converting and those after it were not written.';
      showMessage($('run-message'), text + ' Each log\'s message and downloads are listed below.',
        cancelled || outcomes.failed > 0);
      const first = $('results').querySelector('button');
      if (first) first.focus();
      return;
    }
    const result = answer.result;
    showMessage($('run-message'), runText(result), result.outcome === 'failed' || result.cancelled);
    const output = result.output && answer.files[result.output];
    if (output) {
      offer('output', result.output, output, 'application/octet-stream');
      $('download').textContent = 'Download ' + result.output;
      $('download').hidden = false;
    }
    const copy = result.gpxCopy && answer.files[result.gpxCopy];
    if (copy) {
      offer('copy', result.gpxCopy, copy, 'application/octet-stream');
      $('download-copy').textContent = 'Download the GPX copy ' + result.gpxCopy;
      $('download-copy').hidden = false;
    }
    if (output) $('download').focus();
  }

  // One log or several, chosen or dropped. While the page is busy they wait
  // and are taken up when it is done.
  async function choose(list) {
    const logs = Array.from(list || []);
    if (logs.length === 0) return;
    if (busy) {
      waiting = waiting.concat(logs);
      $('waiting').textContent = 'Waiting until the page is done: ' + waiting.map((log) => log.name).join(', ') +
        '. ' + (waiting.length > 1 ? 'They are' : 'It is') + ' analysed then.';
      return;
    }
    file = logs[0];
    chosen = logs;
    analysed = null;
    const size = (log) => log.name + ' (' + (log.size < 1e6 ? (log.size / 1e3).toFixed(1) + ' kB' : megabytes(log.size)) + ')';
    $('file-name').textContent = logs.length === 1 ? size(file) : logs.length + ' logs: ' + logs.map(size).join(', ') +
      '. START converts each in turn with the same options; the first is analysed below.';
    $('data-type').textContent = '';
    $('preview-figure').hidden = true;
    $('igc-gnss-altitude').checked = false;
    await analyse();
  }

  const zone = $('drop-zone');
  ['dragenter', 'dragover'].forEach((name) => zone.addEventListener(name, (event) => {
    event.preventDefault();
    zone.classList.add('dragging');
  }));
  ['dragleave', 'drop'].forEach((name) => zone.addEventListener(name, () => zone.classList.remove('dragging')));
  zone.addEventListener('drop', (event) => {
    event.preventDefault();
    choose(event.dataTransfer.files);
  });
  // A file dropped beside the zone is not opened by the browser instead.
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => event.preventDefault());
  $('file-input').addEventListener('change', () => {
    choose($('file-input').files);
    $('file-input').value = '';  // the same file chosen again is a new choice
  });

  // What changes recognition or the kept positions analyses again, as the
  // window's check boxes do; the preview follows.
  let again = 0;
  const analyseSoon = () => { clearTimeout(again); again = setTimeout(analyse, 150); };
  ['any-talker', 'verify-checksums', 'any-recorder', 'igc-gnss-altitude', 'keep-zero', 'fix-only', 'altitude-mode',
    'altitude-value', 'first-date'].forEach((id) => $(id).addEventListener('change', () => {
    if (id === 'altitude-mode') $('altitude-value').disabled = !$('altitude-mode').value;
    analyseSoon();
  }));
  document.querySelectorAll('input[name="to"]').forEach((radio) => radio.addEventListener('change', () => {
    showOptionsFor(outputType());
    clearRun();
  }));
  $('shape-track').addEventListener('change', () => { $('shape-boxes').hidden = !$('shape-track').checked; });
  $('convert-form').addEventListener('submit', convert);
  $('cancel').addEventListener('click', cancel);
  $('download').addEventListener('click', () => save('output'));
  $('download-copy').addEventListener('click', () => save('copy'));
  $('download-preview').addEventListener('click', () => save('preview'));
  // A page left for good takes its outputs in the browser's storage with it
  // (what is left there, the next visit removes).
  window.addEventListener('pagehide', (event) => {
    if (!event.persisted && worker && inStorage) worker.postMessage({ id: 0, type: 'leave' });
  });
  showOptionsFor(outputType());
  startWorker();
})();
