// The page's worker: the core runs here, away from the page, so that the
// page stays responsive and shows the progress of a long run. The dropped
// file is read in place (WORKERFS, through a window of a few MB that
// slice_reads.js fills, never copied whole into memory) through a link in
// the working directory /work, where the outputs are written beside it as
// the command line writes them beside the log.
//
// Messages from the page:
//   {id, type: 'file', file}                     the log to work on
//   {id, type: 'analyze' | 'convert', args: []}  torvane-cli's arguments after the command;
//                                                a convert that starts a run has freshRun: true
//   {id, type: 'storage', directory}             the page's folder in the browser's storage,
//                                                where a conversion's files go (opfs_files.js)
//   {id, type: 'leave'}                          the page is left: its files there are removed
// Once started: {type: 'ready', formats: ['NMEA 0183', ...]}, the file
// formats the core reads (its table of kinds).
// Answers: {type: 'progress', done, total, step, steps, what} while working
//   (bytes of the log in step `step` of `steps`, which is `what`: the
//   'analysis', the picture's 'figures', the 'output'), then
//   {id, type: 'result', result, files: {name: Blob}, times} with the files
//   the call wrote (the preview picture, the output, the GPX copy), kept as
//   Blobs as they were written (blob_files.js), or a conversion's as Files
//   of the browser's storage where it has them (opfs_files.js), and where
//   its time went:
//   {call, writing, waiting} in milliseconds (torvaneTimes).

// The messages are handled one after another, each once the one before is
// done (a call waits for its slices in between), and from the start of the
// runtime on.
var torvaneStarted = null;
var torvaneDone = new Promise(function (resolve) { torvaneStarted = resolve; });
var torvaneInput = '';
// The last analysis of the log, kept by the core for the run after it (0: none).
var torvaneKept = 0;

function torvaneForget() {
  if (torvaneKept) _TorvaneForget(torvaneKept);
  torvaneKept = 0;
}

// A call of the core. It returns at once where it waits for a slice of a
// file (slice_reads.js); its answer comes when it is done.
async function torvaneCall(name, words, kept) {
  var text = words.join('\0');
  var size = lengthBytesUTF8(text) + 1;
  var data = _malloc(size);
  stringToUTF8(text, data, size);
  var answer = Module['_' + name](data, size - 1, kept);
  if (Asyncify.currData) answer = await Asyncify.whenDone();
  _free(data);
  var result = JSON.parse(UTF8ToString(answer));
  _free(answer);
  return result;
}

// Takes a file the call wrote out of the file system, for the page.
function torvaneTake(path, files) {
  if (!path || files[path]) return;
  try {
    files[path] = torvaneOpfsFiles.take(path) || torvaneBlobFiles.take(path);
    FS.unlink(path);
  } catch (e) {
    // Not written: nothing to hand over.
  }
}

function torvaneClearWork() {
  FS.readdir('/work').forEach(function (name) {
    if (name !== '.' && name !== '..') FS.unlink('/work/' + name);
  });
}

async function torvaneHandle(message) {
  var files = {};
  var result;
  var started = performance.now();
  torvaneTimes.writing = torvaneTimes.waiting = 0;
  try {
    if (message.type === 'file') {
      torvaneForget();
      torvaneClearWork();
      try { FS.unmount('/in'); } catch (e) { /* nothing mounted yet */ }
      FS.mount(WORKERFS, { files: [message.file] }, '/in');
      torvaneInput = message.file.name;
      FS.symlink('/in/' + torvaneInput, '/work/' + torvaneInput);
      result = { name: torvaneInput };
    } else if (message.type === 'storage') {
      result = { storage: await torvaneOpfsFiles.start(message.directory) };
    } else if (message.type === 'leave') {
      await torvaneOpfsFiles.leave();
      result = {};
    } else {
      var words = ['convert', torvaneInput].concat(message.args);
      if (message.type === 'analyze') {
        torvaneForget();
        result = await torvaneCall('TorvaneAnalyze', words, 0);
        torvaneKept = result.kept || 0;
        delete result.kept;
      } else {
        await torvaneOpfsFiles.beforeCall(Boolean(message.freshRun));
        try {
          result = await torvaneCall('TorvaneConvert', words, torvaneKept);
        } finally {
          await torvaneOpfsFiles.afterCall();
        }
      }
      [result.preview, result.output, result.gpxCopy].forEach(function (path) { torvaneTake(path, files); });
    }
  } catch (e) {
    result = { failed: true, outcome: 'failed', message: 'The page could not do this: ' + e };
  }
  var times = { call: performance.now() - started, writing: torvaneTimes.writing, waiting: torvaneTimes.waiting };
  postMessage({ id: message.id, type: 'result', result: result, files: files, times: times });
}

function torvaneStart() {
  FS.mkdir('/in');
  FS.mkdir('/work');
  FS.chdir('/work');
  torvaneBlobFiles.use('/work');
  var formats = _TorvaneFormats();
  postMessage({ type: 'ready', formats: JSON.parse(UTF8ToString(formats)).map(function (f) { return f.name; }) });
  _free(formats);
  torvaneStarted();
}

// WebAssembly that cannot start (not compiled, not instantiated) tells the page.
Module['onAbort'] = function (what) {
  postMessage({ type: 'failed', message: String(what) });
};

onmessage = function (event) {
  // The slices of the log the page reads ahead are taken as they come, also
  // while a call waits for them.
  if (torvaneSliceReads.take(event.data)) return;
  torvaneDone = torvaneDone.then(function () { return torvaneHandle(event.data); });
};

if (calledRun) torvaneStart();
else Module['onRuntimeInitialized'] = torvaneStart;
