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
  let file = null;
  let analysed = null;      // the last analysis's result
  let busy = false;
  let stage = '';
  const downloads = { output: null, copy: null, preview: null };

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
      '(the page needs Web Workers and WebAssembly).';

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

  // Starts the worker (again, after a cancelled run); false where it cannot start.
  function startWorker() {
    workerFailure = '';
    let ready = false;
    try {
      if (typeof WebAssembly !== 'object') throw new Error('this browser has no WebAssembly');
      worker = new Worker(workerScript());
    } catch (error) {
      worker = null;
      converterFailed('The converter could not start (' + said(error) + ').');
      return false;
    }
    worker.onmessage = (event) => {
      const message = event.data;
      if (message.type === 'ready') {
        ready = true;
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

  function megabytes(bytes) { return (bytes / 1048576).toFixed(1) + ' MB'; }

  function showProgress(report) {
    const done = report.done, total = report.total;
    const box = $('progress-box');
    box.hidden = false;
    const bar = $('progress');
    const percent = total > 0 ? Math.min(100, Math.round(100 * done / total)) : 0;
    bar.value = percent;
    $('progress-label').textContent = stage + ': ' + megabytes(done) + ' of ' + megabytes(total) + ' (' + percent + ' %)';
  }

  function startWork(text) {
    busy = true;
    stage = text;
    $('progress').value = 0;
    $('progress-label').textContent = text + '…';
    $('progress-box').hidden = file.size < 1048576;  // a small log is done before it could be seen
    $('convert').disabled = true;
  }

  function endWork() {
    busy = false;
    $('progress-box').hidden = true;
    $('convert').disabled = !(analysed && analysed.recognised);
  }

  function showMessage(element, text, error) {
    element.textContent = text;
    element.classList.toggle('error', Boolean(error));
  }

  function offer(kind, name, buffer, type) {
    if (downloads[kind]) URL.revokeObjectURL(downloads[kind].url);
    downloads[kind] = buffer ? { name: name, url: URL.createObjectURL(new Blob([buffer], { type: type })) } : null;
    return downloads[kind];
  }

  function save(kind) {
    const item = downloads[kind];
    if (!item) return;
    const link = document.createElement('a');
    link.href = item.url;
    link.download = item.name;
    document.body.appendChild(link);
    link.click();
    link.remove();
  }

  function outputType() { return document.querySelector('input[name="to"]:checked').value; }

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
      args.push(mode === 'add' ? '--altitude-add' : '--altitude-set', String(Number($('altitude-value').value) || 0));
    }
    if ($('first-date').value) args.push('--date', $('first-date').value);
    return args;
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

  async function analyse() {
    if (!file || busy) return;
    clearRun();
    startWork('Analysing ' + file.name);
    const answer = await ask('analyze', { args: positionArgs() });
    const result = answer.result;
    analysed = result;
    endWork();
    const problem = result.failed || !result.recognised;
    showMessage($('message'), result.message, problem);
    $('data-type').textContent = result.failed ? '' :
      'Data type: ' + result.dataType + ' (' + result.detectedRecords + ' records detected)';
    $('kml-description').placeholder = result.kmlDescription || '';
    $('igc-gnss-altitude').disabled = !result.igc;
    $('altitude-mode').disabled = !result.altitude;
    $('altitude-value').disabled = !result.altitude || !$('altitude-mode').value;
    const figure = $('preview-figure');
    const picture = result.preview && answer.files[result.preview];
    if (picture) {
      const item = offer('preview', result.preview, picture, 'image/svg+xml');
      $('preview').src = item.url;
      $('preview').alt = 'The track of ' + file.name + ' to scale, north up, and its altitude profile';
      $('figures').textContent = result.figures.trim();
      $('download-preview').textContent = 'Download picture ' + result.preview;
      figure.hidden = false;
    } else {
      figure.hidden = true;
      if (result.recognised && result.previewError) $('figures').textContent = result.previewError;
    }
  }

  async function convert(event) {
    event.preventDefault();
    if (!file || busy || !analysed || !analysed.recognised) return;
    clearRun();
    startWork('Converting ' + file.name);
    const started = performance.now();
    const answer = await ask('convert', { args: runArgs() });
    const seconds = (performance.now() - started) / 1000;
    endWork();
    const result = answer.result;
    let text = result.message;
    if (result.undated) {
      text += '\nThe log holds no date: its positions are written without times. ' +
        'Give the date of the first position under Positions.';
    }
    if (result.account) text += '\n\n' + result.account.trim();
    showMessage($('run-message'), text, result.outcome === 'failed');
    $('run-message').dataset.seconds = seconds.toFixed(3);
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

  async function choose(chosen) {
    if (!chosen || busy) return;
    file = chosen;
    analysed = null;
    $('file-name').textContent = file.name + ' (' + megabytes(file.size) + ')';
    $('data-type').textContent = '';
    $('preview-figure').hidden = true;
    $('igc-gnss-altitude').checked = false;
    await ask('file', { file: file });
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
    if (event.dataTransfer.files.length > 0) choose(event.dataTransfer.files[0]);
  });
  // A file dropped beside the zone is not opened by the browser instead.
  window.addEventListener('dragover', (event) => event.preventDefault());
  window.addEventListener('drop', (event) => event.preventDefault());
  $('file-input').addEventListener('change', () => choose($('file-input').files[0]));

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
  $('convert-form').addEventListener('submit', convert);
  $('download').addEventListener('click', () => save('output'));
  $('download-copy').addEventListener('click', () => save('copy'));
  $('download-preview').addEventListener('click', () => save('preview'));
  showOptionsFor(outputType());
  startWorker();
})();
