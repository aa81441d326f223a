// The files a conversion writes in the worker's working directory kept in
// the browser's private file storage (the origin private file system),
// where the browser offers it to a worker with synchronous access handles
// (a page served over http(s); not a page from the disk, nor a private
// window): each write goes from the WebAssembly heap straight to the
// storage's file, with none of the copies and joins of Blobs, and the page
// hands the user the storage's file (a File on the disk) as it is.
// Elsewhere, and for the analysis's picture, the files are Blobs
// (blob_files.js).
//
// The core opens its files synchronously, the storage's handles are opened
// asynchronously: a few are opened before each conversion, and each file
// the conversion creates takes the next one (past them it is a Blob file).
// A file's bytes are a list of pieces, each a range of one storage file: a
// write at the end goes to the file's own storage file, and what the core
// appends from another of its files (the points a GPX output gathers before
// its header) joins the list as a piece of that file, no byte copied. When
// the call is done its handles are closed and its files handed over as
// Files (or Blobs of their pieces).
//
// The storage's files of a run are removed when the next run starts or the
// page is left; the page's folder in the storage is its own, held by a lock
// of the same name while the page is open, and those of pages no longer
// open (an earlier visit) are removed when the worker starts.

var torvaneOpfsFiles = (function () {
  var kPool = 8;
  var directory = null;   // the page's folder in the storage, or null: Blobs only
  var pool = [];          // {name, fileHandle, access} opened for the files to come
  var active = false;     // files created now go to the storage
  var used = [];          // the storage files of the current call
  var serial = 0;
  // This worker's files are named apart from those of a worker stopped by
  // Cancel, whose outputs the page may still list.
  var prefix = Date.now().toString(36) + Math.random().toString(36).slice(2, 8) + '-';
  var files = {};         // name -> File, once the call is done

  function available() {
    return typeof FileSystemSyncAccessHandle === 'function' && typeof navigator === 'object' &&
      navigator.storage && typeof navigator.storage.getDirectory === 'function';
  }

  async function removeQuietly(parent, name, recursive) {
    try { await parent.removeEntry(name, { recursive: recursive }); } catch (e) { /* gone, or still in use */ }
  }

  // Opens the page's folder `name`; folders of pages gone are removed.
  async function start(name) {
    if (!available() || !name) return false;
    try {
      var root = await navigator.storage.getDirectory();
      if (navigator.locks && typeof navigator.locks.query === 'function') {
        var held = {};
        var state = await navigator.locks.query();
        (state.held || []).concat(state.pending || []).forEach(function (lock) { held[lock.name] = true; });
        var stale = [];
        for await (var entry of root.keys()) {
          if (entry.indexOf('torvane-') === 0 && entry !== name && !held[entry]) stale.push(entry);
        }
        for (var i = 0; i < stale.length; i++) await removeQuietly(root, stale[i], true);
      }
      directory = await root.getDirectoryHandle(name, { create: true });
      return true;
    } catch (e) {
      directory = null;
      return false;
    }
  }

  // Every file in the page's folder but those of the pool (`keep`) removed.
  async function removeAll(keep) {
    var names = [];
    for await (var name of directory.keys()) {
      if (keep.indexOf(name) < 0) names.push(name);
    }
    for (var i = 0; i < names.length; i++) await removeQuietly(directory, names[i], false);
  }

  // Before a conversion: the pool filled again; at the start of a run the
  // files of the runs before removed (also a stopped worker's).
  async function beforeCall(freshRun) {
    if (!directory) return;
    try {
      if (freshRun) {
        files = {};
        await removeAll(pool.map(function (item) { return item.name; }));
      }
      while (pool.length < kPool) {
        var name = prefix + (++serial);
        var fileHandle = await directory.getFileHandle(name, { create: true });
        var access = await fileHandle.createSyncAccessHandle();
        access.truncate(0);
        pool.push({ name: name, fileHandle: fileHandle, access: access });
      }
      active = true;
    } catch (e) {
      active = pool.length > 0;
    }
  }

  // After the call: its storage files closed and taken as Files.
  async function afterCall() {
    active = false;
    var done = used;
    used = [];
    for (var i = 0; i < done.length; i++) {
      try { done[i].access.flush(); } catch (e) { /* closed below either way */ }
      try { done[i].access.close(); } catch (e) { /* already closed */ }
    }
    for (var j = 0; j < done.length; j++) {
      try { files[done[j].name] = await done[j].fileHandle.getFile(); } catch (e) { /* not to be had: see take */ }
    }
  }

  // Leaving the page: the run's files removed, as far as there is time.
  async function leave() {
    await afterCall();
    pool.forEach(function (item) { try { item.access.close(); } catch (e) { /* closed */ } });
    pool = [];
    files = {};
    if (directory) await removeAll([]);
  }

  function ioError() { return new FS.ErrnoError(ERRNO_CODES.EIO); }

  // The piece at the end of `node` is its own storage file's, ending where that does.
  function ownAtEnd(node) {
    var last = node.pieces[node.pieces.length - 1];
    return last && last.item === node.item && last.to === node.ownBytes;
  }

  // Appends `bytes` at the end of the file of `node`.
  function append(node, bytes) {
    node.item.access.write(bytes, { at: node.ownBytes });
    if (ownAtEnd(node)) node.pieces[node.pieces.length - 1].to += bytes.length;
    else node.pieces.push({ item: node.item, from: node.ownBytes, to: node.ownBytes + bytes.length });
    node.ownBytes += bytes.length;
    node.usedBytes += bytes.length;
  }

  // Whether the file of `node` is its own storage file from 0 on, as a
  // file is that nothing was appended to from another.
  // A storage file a piece of another file refers to keeps its bytes.
  function plain(node) {
    if (node.item.shared) return false;
    return node.pieces.length === 0 ||
      (node.pieces.length === 1 && node.pieces[0].item === node.item && node.pieces[0].from === 0);
  }

  function setSize(node, size) {
    if (size >= node.usedBytes) {
      if (size > node.usedBytes) append(node, new Uint8Array(size - node.usedBytes));
      return;
    }
    var at = 0, kept = [];
    for (var i = 0; i < node.pieces.length && at < size; i++) {
      var piece = node.pieces[i];
      var length = Math.min(piece.to - piece.from, size - at);
      kept.push({ item: piece.item, from: piece.from, to: piece.from + length });
      at += length;
    }
    node.pieces = kept;
    node.usedBytes = size;
    if (plain(node)) {
      node.item.access.truncate(size);
      node.ownBytes = size;
    }
  }

  var nodeOps = null;  // made with the first file (blob_files.js is loaded after this)

  var streamOps = {
    llseek: function (stream, offset, whence) { return MEMFS.stream_ops.llseek(stream, offset, whence); },
    read: function (stream, buffer, offset, length, position) {
      var node = stream.node;
      var done = 0, at = 0;
      for (var i = 0; i < node.pieces.length && done < length; i++) {
        var piece = node.pieces[i];
        var size = piece.to - piece.from;
        if (position + done < at + size) {
          var within = position + done - at;
          var count = Math.min(size - within, length - done);
          var got = piece.item.access.read(buffer.subarray(offset + done, offset + done + count), { at: piece.from + within });
          done += got;
          if (got < count) break;
        }
        at += size;
      }
      return done;
    },
    write: function (stream, buffer, offset, length, position) {
      var node = stream.node;
      if (length <= 0) return 0;
      var started = performance.now();
      var bytes = buffer.subarray(offset, offset + length);
      if (position === node.usedBytes) {
        append(node, bytes);
      } else if (plain(node)) {
        // Anywhere else (not done by the core, which writes each file in order).
        if (position > node.usedBytes) setSize(node, position);
        node.item.access.write(bytes, { at: position });
        node.ownBytes = node.usedBytes = Math.max(node.usedBytes, position + length);
        node.pieces = [{ item: node.item, from: 0, to: node.usedBytes }];
      } else {
        throw ioError();
      }
      torvaneTimes.writing += performance.now() - started;
      node.timestamp = Date.now();
      return length;
    },
  };

  // Makes a regular file just created in the working directory a storage
  // file, while a conversion runs and a handle is there for it.
  function adopt(node) {
    if (!active || pool.length === 0) return false;
    var item = pool.shift();
    used.push(item);
    nodeOps = nodeOps || torvaneBlobFiles.nodeOpsResizedBy(setSize);
    node.node_ops = nodeOps;
    node.stream_ops = streamOps;
    node.item = item;
    node.pieces = [];
    node.ownBytes = 0;
    node.usedBytes = 0;
    return true;
  }

  // The same between a storage file and a Blob file (the storage's handles
  // ran out): copied here, by the files' own reads and writes, which wait
  // for nothing (the core's copy would read through slice_reads.js).
  function copyRest(from, to) {
    var chunk = new Uint8Array(1 << 20);
    for (;;) {
      var count = from.node.stream_ops.read(from, chunk, 0, chunk.length, from.position);
      if (count <= 0) return 1;
      to.node.stream_ops.write(to, chunk, 0, count, to.position);
      from.position += count;
      to.position += count;
    }
  }

  // Puts what follows the position of the file `from` at the end of the
  // file `to`, both storage files, as blob_files.js joinRest: 1 where it
  // was done, 0 where not.
  function joinRest(from, to) {
    var node = to.node, source = from.node;
    if (source.stream_ops !== streamOps || node.stream_ops !== streamOps) return copyRest(from, to);
    if (to.position !== node.usedBytes || from.position > source.usedBytes || source === node) return 0;
    var at = 0, added = 0;
    source.pieces.forEach(function (piece) {
      var size = piece.to - piece.from;
      var skip = Math.max(0, from.position - at);
      if (skip < size) {
        piece.item.shared = true;
        node.pieces.push({ item: piece.item, from: piece.from + skip, to: piece.to });
        added += size - skip;
      }
      at += size;
    });
    node.usedBytes += added;
    node.timestamp = Date.now();
    to.position += added;
    from.position += added;
    return 1;
  }

  // The file at `path` as a File or a Blob of its pieces (after afterCall),
  // or null where it is not a storage file.
  function take(path) {
    var node = FS.lookupPath(path).node;
    if (node.stream_ops !== streamOps) return null;
    var parts = node.pieces.map(function (piece) {
      var file = files[piece.item.name];
      if (!file) throw ioError();
      return piece.from === 0 && piece.to === file.size ? file : file.slice(piece.from, piece.to);
    });
    return parts.length === 1 && parts[0] instanceof File ? parts[0] : new Blob(parts);
  }

  return { start: start, beforeCall: beforeCall, afterCall: afterCall, leave: leave, adopt: adopt,
    joinRest: joinRest, take: take, isFile: function (node) { return node.stream_ops === streamOps; } };
})();
