// The page: takes a dropped or chosen log, has the worker (torvane.js, the
// core compiled to WebAssembly) analyse it with torvane-cli's options, shows
// the message, the data type, the track's picture and figures, converts it
// and offers the output for download. Nothing leaves the computer.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const worker = new Worker('torvane.js');
  let nextId = 1;
  const pending = new Map();
  let file = null;
  let analysed = null;      // the last analysis's result
  let busy = false;
  let stage = '';
  const downloads = { output: null, copy: null, preview: null };

  worker.onmessage = (event) => {
    const message = event.data;
    if (message.type === 'progress') {
      showProgress(message.done, message.total);
      return;
    }
    const resolve = pending.get(message.id);
    pending.delete(message.id);
    if (resolve) resolve(message);
  };
  // A worker that stops (out of memory, say) answers what it was asked with its failure.
  worker.onerror = (event) => {
    const text = 'The converter stopped: ' + (event.message || 'unknown error') + '. Reload the page to go on.';
    showMessage($('message'), text, true);
    pending.forEach((resolve) => resolve({ result: { failed: true, outcome: 'failed', message: text }, files: {} }));
    pending.clear();
  };

  function ask(type, extra) {
    const id = nextId++;
    return new Promise((resolve) => {
      pending.set(id, resolve);
      worker.postMessage(Object.assign({ id: id, type: type }, extra));
    });
  }

  function megabytes(bytes) { return (bytes / 1048576).toFixed(1) + ' MB'; }

  function showProgress(done, total) {
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
})();
