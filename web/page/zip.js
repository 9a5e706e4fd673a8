// Zip archives: a reader for the player's game archives and save
// archives, and a writer for the save archives the page exports. The reader
// takes untrusted files: every length and offset is checked against the
// file and against the limits given, and it reads only the directory at the
// end and then each entry's own bytes when they are asked for, so a large
// archive is never read whole at once. Stored and deflated entries are
// read; deflate goes through the browser's DecompressionStream. Zip64,
// encrypted entries and archives split over several files are refused.

const END_SIGNATURE = 0x06054b50;
const CENTRAL_SIGNATURE = 0x02014b50;
const LOCAL_SIGNATURE = 0x04034b50;
const END_SIZE = 22;
const CENTRAL_SIZE = 46;
const LOCAL_SIZE = 30;
const MAX_COMMENT = 0xffff;
const METHOD_STORED = 0;
const METHOD_DEFLATE = 8;
const FLAG_ENCRYPTED = 0x0001;
const FLAG_UTF8 = 0x0800;

export class ZipError extends Error {}

let crcTable = null;
export function crc32(bytes) {
  if (!crcTable) {
    crcTable = new Uint32Array(256);
    for (let n = 0; n < 256; n++) {
      let c = n;
      for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
      crcTable[n] = c >>> 0;
    }
  }
  let crc = 0xffffffff;
  for (let i = 0; i < bytes.length; i++) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
  return (crc ^ 0xffffffff) >>> 0;
}

// A name from an archive or a folder as a relative '/'-separated path, or
// null when it must not be used: empty, absolute, with a drive letter, a
// ".." part, or control characters. Backslashes count as separators.
// Directory entries (ending in a separator) give null as well; the caller
// tells them apart with isDirectoryName.
export function safeRelativePath(name) {
  if (typeof name !== 'string' || name.length === 0 || name.length > 1024) return null;
  if (/[\u0000-\u001f\u007f]/.test(name)) return null;
  const slashed = name.replace(/\\/g, '/');
  if (slashed.startsWith('/') || /^[A-Za-z]:/.test(slashed)) return null;
  const parts = slashed.split('/').filter((part) => part !== '' && part !== '.');
  if (parts.length === 0 || parts.some((part) => part === '..')) return null;
  if (slashed.endsWith('/')) return null;
  return parts.join('/');
}

export function isDirectoryName(name) {
  return typeof name === 'string' && /[\\/]$/.test(name);
}

function decodeName(bytes, flags) {
  if (flags & FLAG_UTF8) return new TextDecoder('utf-8').decode(bytes);
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    // Archives made on Chinese systems name their files in the local code page.
    return new TextDecoder('gbk').decode(bytes);
  }
}

async function readRange(blob, start, length) {
  if (start < 0 || length < 0 || start + length > blob.size) {
    throw new ZipError('the archive is cut short');
  }
  return new Uint8Array(await blob.slice(start, start + length).arrayBuffer());
}

// Inflates raw deflate data, refusing output that would grow beyond expected
// bytes or end before it; the stream is cancelled at the first excess byte.
async function inflate(compressed, expected) {
  const stream = new Blob([compressed]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  const reader = stream.getReader();
  const out = new Uint8Array(expected);
  let filled = 0;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      if (filled + value.length > expected) {
        throw new ZipError('an entry holds more than its stated size');
      }
      out.set(value, filled);
      filled += value.length;
    }
  } catch (error) {
    reader.cancel().catch(() => {});
    if (error instanceof ZipError) throw error;
    throw new ZipError('an entry\'s compressed data is damaged');
  }
  if (filled !== expected) throw new ZipError('an entry holds less than its stated size');
  return out;
}

// Opens the archive in blob (a File, or a Blob around bytes). limits:
// maxEntries, maxEntrySize (bytes of one unpacked entry), maxTotalSize (all
// unpacked entries together). Resolves to a list of
// { name, path, size, read() }: path is the safe relative path; read()
// resolves to the entry's bytes, checked against its CRC. Directory entries
// are left out. Throws ZipError with the reason for any fault.
export async function openZip(blob, limits) {
  const { maxEntries, maxEntrySize, maxTotalSize } = limits;
  if (blob.size < END_SIZE) throw new ZipError('this is not a zip archive');
  const tailLength = Math.min(blob.size, END_SIZE + MAX_COMMENT);
  const tailStart = blob.size - tailLength;
  const tail = await readRange(blob, tailStart, tailLength);
  const tailView = new DataView(tail.buffer);
  let end = -1;
  for (let i = tail.length - END_SIZE; i >= 0; i--) {
    if (tailView.getUint32(i, true) === END_SIGNATURE &&
        i + END_SIZE + tailView.getUint16(i + 20, true) <= tail.length) {
      end = i;
      break;
    }
  }
  if (end < 0) throw new ZipError('this is not a zip archive');
  const disk = tailView.getUint16(end + 4, true);
  const directoryDisk = tailView.getUint16(end + 6, true);
  const entriesHere = tailView.getUint16(end + 8, true);
  const entryCount = tailView.getUint16(end + 10, true);
  const directorySize = tailView.getUint32(end + 12, true);
  const directoryOffset = tailView.getUint32(end + 16, true);
  if (disk !== 0 || directoryDisk !== 0 || entriesHere !== entryCount) {
    throw new ZipError('archives split over several files are not supported');
  }
  if (entryCount === 0xffff || directorySize === 0xffffffff || directoryOffset === 0xffffffff) {
    throw new ZipError('zip64 archives are not supported');
  }
  if (entryCount > maxEntries) {
    throw new ZipError(`the archive holds ${entryCount} entries, more than ${maxEntries}`);
  }
  if (directoryOffset + directorySize > tailStart + end) {
    throw new ZipError('the archive\'s directory lies outside the archive');
  }
  const directory = await readRange(blob, directoryOffset, directorySize);
  const view = new DataView(directory.buffer);
  const entries = [];
  const seen = new Set();
  let total = 0;
  let at = 0;
  for (let n = 0; n < entryCount; n++) {
    if (at + CENTRAL_SIZE > directory.length || view.getUint32(at, true) !== CENTRAL_SIGNATURE) {
      throw new ZipError('the archive\'s directory is damaged');
    }
    const flags = view.getUint16(at + 8, true);
    const method = view.getUint16(at + 10, true);
    const crc = view.getUint32(at + 16, true);
    const compressedSize = view.getUint32(at + 20, true);
    const size = view.getUint32(at + 24, true);
    const nameLength = view.getUint16(at + 28, true);
    const extraLength = view.getUint16(at + 30, true);
    const commentLength = view.getUint16(at + 32, true);
    const localOffset = view.getUint32(at + 42, true);
    const next = at + CENTRAL_SIZE + nameLength + extraLength + commentLength;
    if (next > directory.length) throw new ZipError('the archive\'s directory is damaged');
    const name = decodeName(directory.subarray(at + CENTRAL_SIZE, at + CENTRAL_SIZE + nameLength), flags);
    at = next;
    if (isDirectoryName(name)) continue;
    const path = safeRelativePath(name);
    if (path === null) throw new ZipError(`the archive names a file outside its folder: "${name}"`);
    if (seen.has(path)) throw new ZipError(`the archive holds "${path}" twice`);
    seen.add(path);
    if (flags & FLAG_ENCRYPTED) throw new ZipError(`"${path}" is encrypted`);
    if (method !== METHOD_STORED && method !== METHOD_DEFLATE) {
      throw new ZipError(`"${path}" is packed in a way this page cannot read (method ${method})`);
    }
    if (method === METHOD_STORED && compressedSize !== size) {
      throw new ZipError(`"${path}" has two different sizes`);
    }
    if (size > maxEntrySize) {
      throw new ZipError(`"${path}" is ${size} bytes, more than ${maxEntrySize}`);
    }
    total += size;
    if (total > maxTotalSize) {
      throw new ZipError(`the archive unpacks to more than ${maxTotalSize} bytes`);
    }
    if (localOffset + LOCAL_SIZE + compressedSize > directoryOffset) {
      throw new ZipError(`"${path}" lies outside the archive`);
    }
    entries.push({
      name, path, size,
      async read() {
        const local = await readRange(blob, localOffset, LOCAL_SIZE);
        const localView = new DataView(local.buffer);
        if (localView.getUint32(0, true) !== LOCAL_SIGNATURE) {
          throw new ZipError(`"${path}" is damaged`);
        }
        const dataStart = localOffset + LOCAL_SIZE + localView.getUint16(26, true) +
            localView.getUint16(28, true);
        if (dataStart + compressedSize > directoryOffset) {
          throw new ZipError(`"${path}" lies outside the archive`);
        }
        const data = await readRange(blob, dataStart, compressedSize);
        const bytes = method === METHOD_STORED ? data : await inflate(data, size);
        if (crc32(bytes) !== crc) throw new ZipError(`"${path}" is damaged (its checksum differs)`);
        return bytes;
      },
    });
  }
  return entries;
}

// A zip archive of the entries ({ path, bytes }), stored without
// compression, names in UTF-8.
export function makeZip(entries, date = new Date()) {
  const encoder = new TextEncoder();
  const time = (date.getHours() << 11) | (date.getMinutes() << 5) | (date.getSeconds() >> 1);
  const day = ((Math.max(date.getFullYear(), 1980) - 1980) << 9) | ((date.getMonth() + 1) << 5) |
      date.getDate();
  const locals = [];
  const centrals = [];
  let offset = 0;
  for (const { path, bytes } of entries) {
    const name = encoder.encode(path);
    const crc = crc32(bytes);
    const local = new Uint8Array(LOCAL_SIZE + name.length);
    const lv = new DataView(local.buffer);
    lv.setUint32(0, LOCAL_SIGNATURE, true);
    lv.setUint16(4, 20, true);
    lv.setUint16(6, FLAG_UTF8, true);
    lv.setUint16(8, METHOD_STORED, true);
    lv.setUint16(10, time, true);
    lv.setUint16(12, day, true);
    lv.setUint32(14, crc, true);
    lv.setUint32(18, bytes.length, true);
    lv.setUint32(22, bytes.length, true);
    lv.setUint16(26, name.length, true);
    local.set(name, LOCAL_SIZE);
    const central = new Uint8Array(CENTRAL_SIZE + name.length);
    const cv = new DataView(central.buffer);
    cv.setUint32(0, CENTRAL_SIGNATURE, true);
    cv.setUint16(4, 20, true);
    cv.setUint16(6, 20, true);
    cv.setUint16(8, FLAG_UTF8, true);
    cv.setUint16(10, METHOD_STORED, true);
    cv.setUint16(12, time, true);
    cv.setUint16(14, day, true);
    cv.setUint32(16, crc, true);
    cv.setUint32(20, bytes.length, true);
    cv.setUint32(24, bytes.length, true);
    cv.setUint16(28, name.length, true);
    cv.setUint32(42, offset, true);
    central.set(name, CENTRAL_SIZE);
    locals.push(local, bytes);
    centrals.push(central);
    offset += local.length + bytes.length;
  }
  const directorySize = centrals.reduce((sum, c) => sum + c.length, 0);
  const end = new Uint8Array(END_SIZE);
  const ev = new DataView(end.buffer);
  ev.setUint32(0, END_SIGNATURE, true);
  ev.setUint16(8, entries.length, true);
  ev.setUint16(10, entries.length, true);
  ev.setUint32(12, directorySize, true);
  ev.setUint32(16, offset, true);
  const out = new Uint8Array(offset + directorySize + END_SIZE);
  let at = 0;
  for (const part of [...locals, ...centrals, end]) {
    out.set(part, at);
    at += part.length;
  }
  return out;
}
