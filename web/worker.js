// The page's worker: the core runs here, away from the page, so that the
// page stays responsive and shows the progress of a long run. The dropped
// file is read in place (WORKERFS, block by block, never copied whole into
// memory) through a link in the working directory /work, where the outputs
// are written beside it as the command line writes them beside the log.
//
// Messages from the page:
//   {id, type: 'file', file}                     the log to work on
//   {id, type: 'analyze' | 'convert', args: []}  torvane-cli's arguments after the command
// Answers: {type: 'progress', done, total} while working, then
//   {id, type: 'result', result, files: {name: Blob}} with the files the
//   call wrote (the preview picture, the output, the GPX copy), kept as
//   Blobs as they were written (blob_files.js).

var torvaneQueue = [];
var torvaneReady = false;
var torvaneInput = '';

function torvaneCall(name, words) {
  var text = words.join('\0');
  var size = lengthBytesUTF8(text) + 1;
  var data = _malloc(size);
  stringToUTF8(text, data, size);
  var answer = Module['_' + name](data, size - 1);
  _free(data);
  var result = JSON.parse(UTF8ToString(answer));
  _free(answer);
  return result;
}

// Takes a file the call wrote out of the file system, for the page.
function torvaneTake(path, files) {
  if (!path || files[path]) return;
  try {
    files[path] = torvaneBlobFiles.take(path);
    FS.unlink(path);
  } catch (e) {
    // Not written: nothing to hand over.
  }
}

// The dropped file is read in slices of kSliceBytes, each read of the core
// (1 MiB) served from the last slice: every read of the browser's file has
// a cost of its own, so that large slices read a log two to three times as
// fast as the core's own reads would.
function torvaneReadInSlices() {
  var kSliceBytes = 16 << 20;
  var reader = new FileReaderSync();
  var readPart = WORKERFS.stream_ops.read;
  WORKERFS.stream_ops.read = function (stream, buffer, offset, length, position) {
    var node = stream.node;
    if (length > kSliceBytes) return readPart(stream, buffer, offset, length, position);
    var slice = node.torvaneSlice;
    if (!slice || position < slice.start || position + length > slice.start + slice.bytes.length) {
      if (position >= node.size) return 0;
      var bytes = reader.readAsArrayBuffer(node.contents.slice(position, position + kSliceBytes));
      slice = node.torvaneSlice = { start: position, bytes: new Uint8Array(bytes) };
    }
    var from = position - slice.start;
    var part = slice.bytes.subarray(from, Math.min(from + length, slice.bytes.length));
    buffer.set(part, offset);
    return part.length;
  };
}

function torvaneClearWork() {
  FS.readdir('/work').forEach(function (name) {
    if (name !== '.' && name !== '..') FS.unlink('/work/' + name);
  });
}

function torvaneHandle(message) {
  var files = {};
  var result;
  try {
    if (message.type === 'file') {
      torvaneClearWork();
      try { FS.unmount('/in'); } catch (e) { /* nothing mounted yet */ }
      FS.mount(WORKERFS, { files: [message.file] }, '/in');
      torvaneInput = message.file.name;
      FS.symlink('/in/' + torvaneInput, '/work/' + torvaneInput);
      result = { name: torvaneInput };
    } else {
      var name = message.type === 'analyze' ? 'TorvaneAnalyze' : 'TorvaneConvert';
      result = torvaneCall(name, ['convert', torvaneInput].concat(message.args));
      [result.preview, result.output, result.gpxCopy].forEach(function (path) { torvaneTake(path, files); });
    }
  } catch (e) {
    result = { failed: true, outcome: 'failed', message: 'The page could not do this: ' + e };
  }
  postMessage({ id: message.id, type: 'result', result: result, files: files });
}

function torvaneStart() {
  FS.mkdir('/in');
  FS.mkdir('/work');
  FS.chdir('/work');
  torvaneBlobFiles.use('/work');
  torvaneReadInSlices();
  torvaneReady = true;
  postMessage({ type: 'ready' });
  torvaneQueue.forEach(torvaneHandle);
  torvaneQueue = [];
}

// WebAssembly that cannot start (not compiled, not instantiated) tells the page.
Module['onAbort'] = function (what) {
  postMessage({ type: 'failed', message: String(what) });
};

onmessage = function (event) {
  if (torvaneReady) torvaneHandle(event.data);
  else torvaneQueue.push(event.data);
};

if (calledRun) torvaneStart();
else Module['onRuntimeInitialized'] = torvaneStart;
