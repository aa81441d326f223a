// The dropped log read ahead for the worker, here on the page's thread,
// while the worker's converter works through the slices it already has:
// the browser's reading of the file and the conversion run at once.
//
// The worker asks {type: 'read', serial, file, position}: the log's bytes
// from `position` on (a new request ends the one before). The page answers
// with {type: 'slice', serial, position, buffer, length}, one slice after
// another, each in a buffer of kSliceBytes that it hands over (no copy),
// and reads on only while it has a buffer: the worker hands each back
// ({type: 'slice-back', buffer}) once it has read it. A few buffers go
// round, whatever the log's size, so the tab's memory stays flat.
'use strict';

function torvaneReadAhead(worker) {
  const kSliceBytes = 16 << 20;
  // Eight: the browser reads a log about as fast as the converter takes it,
  // so that a reading that falls behind for a moment (on a machine busy
  // with other work) is made up from the slices read ahead; with four, a
  // 500 MB log's run took about a tenth longer.
  const kBuffers = 8;
  const free = [];
  let made = 0;
  let serial = 0;
  let reader = null;
  let position = 0;
  let pumping = false;

  function bufferToFill() {
    if (free.length > 0) return free.pop();
    if (made < kBuffers) {
      made++;
      return new ArrayBuffer(kSliceBytes);
    }
    return null;
  }

  async function pump() {
    if (pumping) return;
    pumping = true;
    try {
      for (;;) {
        const from = reader, mine = serial;
        if (!from) break;
        let buffer = bufferToFill();
        if (!buffer) break;
        let filled = 0, ended = false;
        while (filled < kSliceBytes) {
          const got = await from.read(new Uint8Array(buffer, filled, kSliceBytes - filled));
          if (got.value) buffer = got.value.buffer;
          if (got.done) {
            ended = true;
            break;
          }
          filled += got.value.byteLength;
        }
        if (buffer.byteLength !== kSliceBytes) buffer = new ArrayBuffer(kSliceBytes);
        if (mine !== serial) {  // asked for another place meanwhile
          free.push(buffer);
          continue;
        }
        worker.postMessage({ type: 'slice', serial: mine, position: position, buffer: buffer, length: filled }, [buffer]);
        position += filled;
        if (ended) reader = null;
      }
    } catch (error) {
      // The file cannot be read: the worker, asking, gets no slice, and its
      // read fails with the browser's words once it gives up waiting.
      worker.postMessage({ type: 'slice', serial: serial, position: position, failed: String(error) });
      reader = null;
    } finally {
      pumping = false;
    }
  }

  // The worker's messages about the log's slices; false for any other message.
  function handle(message) {
    if (message.type === 'read') {
      serial = message.serial;
      if (reader) reader.cancel().catch(() => {});
      reader = message.file.slice(message.position).stream().getReader({ mode: 'byob' });
      position = message.position;
      pump();
      return true;
    }
    if (message.type === 'slice-back') {
      free.push(message.buffer);
      pump();
      return true;
    }
    return false;
  }

  return { handle: handle };
}
