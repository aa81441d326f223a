// The core's reads (platform ReadSome and ReadSomeAt, which call
// torvaneReadSome) of the files the browser holds: the dropped log (a File,
// mounted by WORKERFS) and the files the core wrote (Blobs, blob_files.js).
//
// Each such file is read through a window of a slice: a read inside the
// window is copied from it at once; a read beyond it waits while the window
// gets the next slice. The dropped log's slices come from the page, which
// reads them ahead on its own thread while the core works (read_ahead.js),
// in a few buffers that go back to it once read; a written file's window is
// one buffer, filled again and again from the Blob's stream. Either way
// reading a file of any size takes no more memory than a few slices. While
// it waits, the core's call stack is set aside (emscripten's ASYNCIFY,
// which instruments only the functions that lead to this read): the
// worker's event loop runs, takes the page's slices and lets the browser
// free what it read. A read of an in-memory file is served at once.

var torvaneSliceReads = (function () {
  var kSliceBytes = 16 << 20;

  // The window over `blob`: bytes [start, end) in `bytes`, and the stream
  // that fills it, standing at `streamAt`.
  function Window(blob) {
    this.blob = blob;
    this.buffer = null;
    this.bytes = new Uint8Array(0);
    this.start = 0;
    this.end = 0;
    this.reader = null;
    this.streamAt = -1;
  }

  // Fills the window with the bytes from `position` on: the stream goes on
  // where it stands there, or starts afresh at `position`.
  Window.prototype.fill = async function (position) {
    if (!this.reader || this.streamAt !== position) {
      if (this.reader) this.reader.cancel().catch(function () {});
      this.reader = this.blob.slice(position).stream().getReader({ mode: 'byob' });
      this.streamAt = position;
    }
    var buffer = this.buffer || new ArrayBuffer(kSliceBytes);
    this.buffer = null;  // handed to the stream until it comes back
    this.bytes = new Uint8Array(0);
    this.start = this.end = position;
    var wanted = Math.min(kSliceBytes, this.blob.size - position);
    var filled = 0;
    while (filled < wanted) {
      var got = await this.reader.read(new Uint8Array(buffer, filled, wanted - filled));
      if (got.value) buffer = got.value.buffer;
      if (got.done) break;
      filled += got.value.byteLength;
    }
    this.buffer = buffer;
    this.bytes = new Uint8Array(buffer, 0, filled);
    this.end = position + filled;
    this.streamAt = this.end;
  };

  // The dropped log's slices, read ahead by the page (read_ahead.js): the
  // slices of `file` come in order from `next` on, for the request `serial`;
  // `holder` is the window that holds one (the page's buffers are few, and
  // each goes back to it once read).
  var fromPage = { file: null, serial: 0, next: -1, slices: [], arrived: null, holder: null };

  // Takes a slice the page sent; false for any other message.
  function take(message) {
    if (message.type !== 'slice') return false;
    if (message.serial !== fromPage.serial) {
      giveBack(message.buffer);
      return true;
    }
    fromPage.slices.push(message);
    if (fromPage.arrived) fromPage.arrived();
    return true;
  }

  function giveBack(buffer) {
    if (buffer && buffer.byteLength > 0) postMessage({ type: 'slice-back', buffer: buffer }, [buffer]);
  }

  // Puts the page's next slice into the window where it is there already
  // and starts at `position`: false where it is not.
  Window.prototype.takeFromPage = function (position) {
    if (this.blob !== fromPage.file || position !== fromPage.next || fromPage.slices.length === 0 || fromPage.slices[0].failed) return false;
    this.show(fromPage.slices.shift(), position);
    return true;
  };

  Window.prototype.show = function (slice, position) {
    if (fromPage.holder && fromPage.holder !== this) {
      giveBack(fromPage.holder.buffer);
      fromPage.holder.buffer = null;
      fromPage.holder.bytes = new Uint8Array(0);
      fromPage.holder.start = fromPage.holder.end = 0;
    }
    fromPage.holder = this;
    giveBack(this.buffer);
    this.buffer = slice.buffer;
    this.bytes = new Uint8Array(slice.buffer, 0, slice.length);
    this.start = position;
    this.end = position + slice.length;
    fromPage.next = this.end;
  };

  // Fills the window of the dropped log `file` from the page's slices.
  Window.prototype.fillFromPage = async function (file, position) {
    if (file !== fromPage.file || position !== fromPage.next) {
      fromPage.file = file;
      fromPage.serial++;
      fromPage.slices.forEach(function (slice) { giveBack(slice.buffer); });
      fromPage.slices = [];
      fromPage.next = position;
      postMessage({ type: 'read', serial: fromPage.serial, file: file, position: position });
    }
    while (fromPage.slices.length === 0) {
      await new Promise(function (resolve) { fromPage.arrived = resolve; });
    }
    fromPage.arrived = null;
    var slice = fromPage.slices.shift();
    if (slice.failed) {
      fromPage.next = -1;
      throw new Error(slice.failed);
    }
    this.show(slice, position);
  };

  // Copies up to `size` bytes at `position` from the window into the heap
  // at `data`: the number copied.
  Window.prototype.serve = function (data, size, position) {
    var from = position - this.start;
    var count = Math.min(size, this.end - position);
    HEAPU8.set(this.bytes.subarray(from, from + count), data);
    return count;
  };

  // The Blob whose bytes the file of `node` holds, or null for a file in memory.
  function blobOf(node) {
    if (node.stream_ops === WORKERFS.stream_ops) return node.contents;
    return torvaneBlobFiles.blobOf(node);
  }

  // The read of the core: see convert/files/platform/wasm_file_system.cpp.
  function readSome(fd, data, size, offset) {
    // Back from waiting: the result stored on waking.
    if (Asyncify.state === Asyncify.State.Rewinding) return Asyncify.handleSleep(function () {});
    var stream = FS.getStream(fd);
    if (!stream) return -ERRNO_CODES.EBADF;
    var position = offset < 0 ? stream.position : offset;
    var moved = function (count) {
      if (offset < 0) stream.position += count;
      return count;
    };
    var blob = blobOf(stream.node);
    if (!blob) {
      try {
        return FS.read(stream, HEAP8, data, size, offset < 0 ? undefined : offset);
      } catch (error) {
        return -(error.errno || ERRNO_CODES.EIO);
      }
    }
    var view = stream.node.torvaneWindow;
    if (!view || view.blob !== blob) view = stream.node.torvaneWindow = new Window(blob);
    if (size === 0 || position >= blob.size) return 0;
    if (position >= view.start && position < view.end) return moved(view.serve(data, size, position));
    var dropped = stream.node.stream_ops === WORKERFS.stream_ops;
    if (dropped && view.takeFromPage(position)) return moved(view.serve(data, size, position));
    var started = performance.now();
    var filled = dropped ? view.fillFromPage(blob, position) : view.fill(position);
    return Asyncify.handleSleep(function (wakeUp) {
      filled.then(function () {
        torvaneTimes.waiting += performance.now() - started;
        wakeUp(moved(view.serve(data, size, position)));
      }, function () {
        view.reader = null;
        wakeUp(-ERRNO_CODES.EIO);
      });
    });
  }

  return { readSome: readSome, take: take };
})();

function torvaneReadSome(fd, data, size, offset) {
  return torvaneSliceReads.readSome(fd, data, size, offset);
}
