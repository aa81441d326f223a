// The files the core writes in the worker's working directory (the output,
// the GPX copy, the points a GPX output gathers before its header, the
// preview picture) kept as Blobs instead of in memory: each write is copied
// out of the WebAssembly heap at once and joined to the file's Blob every
// few MB, so that neither the heap nor the worker's memory grows with the
// output (the browser keeps large Blobs itself, on its disk where it must).
// The writes are gathered in one buffer of the file's, reused: a Blob takes
// a copy of the bytes it is made of, so the buffer is free again at once,
// and no write allocates.
// The points a GPX output gathers are put after its header by joining their
// Blob to the output's, not by copying them; a file that is read back (the
// GPX copy) is read through a window of its Blob (slice_reads.js). The
// worker hands a finished file to the page as its Blob, without copying its
// bytes.
//
// Everything else of the file (its name, rename, unlink, its mode) is
// emscripten's in-memory file system's, whose file nodes get these ops.

// Where a call's time goes (the page's bench shows it): milliseconds spent
// writing files (copying out of the heap, joining Blobs) and waiting for
// the slices of a file to read; the worker sets them to 0 before each call.
var torvaneTimes = { writing: 0, waiting: 0 };

var torvaneBlobFiles = (function () {
  // Writes gathered (in `node.staged`) before they are joined to the file's Blob.
  var kJoinBytes = 8 << 20;
  var reader = null;

  function join(node) {
    if (node.stagedBytes === 0) return;
    var started = performance.now();
    node.blob = new Blob([node.blob, node.staged.subarray(0, node.stagedBytes)]);
    node.stagedBytes = 0;
    torvaneTimes.writing += performance.now() - started;
  }

  // The file's bytes as a Blob, every write in it.
  function blobOf(node) {
    join(node);
    return node.blob;
  }

  function setSize(node, size) {
    join(node);
    if (size < node.usedBytes) node.blob = node.blob.slice(0, size);
    else if (size > node.usedBytes) node.blob = new Blob([node.blob, new Uint8Array(size - node.usedBytes)]);
    node.usedBytes = size;
  }

  // The node ops of a file kept outside emscripten's memory: its size set
  // by `resize`, everything else as MEMFS keeps it (opfs_files.js too).
  function nodeOpsResizedBy(resize) {
    return {
      getattr: function (node) { return MEMFS.node_ops.getattr(node); },
      setattr: function (node, attr) {
        if (attr.mode !== undefined) node.mode = attr.mode;
        if (attr.timestamp !== undefined) node.timestamp = attr.timestamp;
        if (attr.size !== undefined) resize(node, attr.size);
      },
    };
  }
  var nodeOps = nodeOpsResizedBy(setSize);

  var streamOps = {
    llseek: function (stream, offset, whence) { return MEMFS.stream_ops.llseek(stream, offset, whence); },
    read: function (stream, buffer, offset, length, position) {
      var node = stream.node;
      if (position >= node.usedBytes || length <= 0) return 0;
      if (!reader) reader = new FileReaderSync();
      var bytes = reader.readAsArrayBuffer(blobOf(node).slice(position, Math.min(position + length, node.usedBytes)));
      buffer.set(new Uint8Array(bytes), offset);
      return bytes.byteLength;
    },
    write: function (stream, buffer, offset, length, position) {
      var node = stream.node;
      if (length <= 0) return 0;
      // Copied (into the buffer, or into a Blob as it is made): the
      // heap's bytes change with the next write.
      var bytes = buffer.subarray(offset, offset + length);
      if (position === node.usedBytes) {
        if (node.stagedBytes + length > kJoinBytes) join(node);
        var started = performance.now();
        if (length >= kJoinBytes) {
          node.blob = new Blob([node.blob, bytes]);
        } else {
          if (!node.staged) node.staged = new Uint8Array(kJoinBytes);
          node.staged.set(bytes, node.stagedBytes);
          node.stagedBytes += length;
        }
        torvaneTimes.writing += performance.now() - started;
        node.usedBytes += length;
      } else {
        // Anywhere else (not done by the core, which writes each file in order).
        if (position > node.usedBytes) setSize(node, position);
        join(node);
        var end = Math.min(position + length, node.usedBytes);
        node.blob = new Blob([node.blob.slice(0, position), bytes, node.blob.slice(end)]);
        node.usedBytes = Math.max(node.usedBytes, position + length);
      }
      node.timestamp = Date.now();
      return length;
    },
  };

  // Makes every regular file created from now on in `directory` a Blob file
  // (or a file of the browser's storage, opfs_files.js, where it takes it).
  function use(directory) {
    var create = MEMFS.createNode;
    MEMFS.createNode = function (parent, name, mode, dev) {
      var node = create(parent, name, mode, dev);
      if (FS.isFile(node.mode) && parent && FS.getPath(parent) === directory && !torvaneOpfsFiles.adopt(node)) {
        node.node_ops = nodeOps;
        node.stream_ops = streamOps;
        node.blob = new Blob([]);
        node.staged = null;
        node.stagedBytes = 0;
        node.usedBytes = 0;
      }
      return node;
    };
  }

  // The Blob of the file at `path`, handed over: its buffer goes.
  function take(path) {
    var node = FS.lookupPath(path).node;
    var blob = blobOf(node);
    node.staged = null;
    return blob;
  }

  // Puts what follows the position of the file `fromFd` at the position of
  // the file `toFd` (its end), both Blob files, advancing both: the rest of
  // the one joined to the other's Blob, no byte copied. 1 where it was, 0
  // where this cannot be done so (the caller copies then).
  function joinRest(fromFd, toFd) {
    var from = FS.getStream(fromFd), to = FS.getStream(toFd);
    if (from && to && (torvaneOpfsFiles.isFile(from.node) || torvaneOpfsFiles.isFile(to.node))) {
      return torvaneOpfsFiles.joinRest(from, to);
    }
    if (!from || !to || from.node.stream_ops !== streamOps || to.node.stream_ops !== streamOps) return 0;
    var node = to.node;
    if (to.position !== node.usedBytes || from.position > from.node.usedBytes) return 0;
    var rest = blobOf(from.node).slice(from.position, from.node.usedBytes);
    join(node);
    node.blob = new Blob([node.blob, rest]);
    node.usedBytes += rest.size;
    node.timestamp = Date.now();
    to.position += rest.size;
    from.position += rest.size;
    return 1;
  }

  // The Blob of the file of `node`, or null where it is not a Blob file.
  function blobOfNode(node) {
    return node.stream_ops === streamOps ? blobOf(node) : null;
  }

  return { use: use, take: take, blobOf: blobOfNode, joinRest: joinRest, nodeOpsResizedBy: nodeOpsResizedBy };
})();
