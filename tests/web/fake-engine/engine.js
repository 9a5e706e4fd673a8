// A stand-in for the engine's browser build, with its startEngine, for the
// page's tests while that build is not at hand. It draws what it was given
// on the canvas and keeps it in globalThis.fakeEngine for the tests to read;
// a key press or a click on the canvas saves: SAVE01, 4096 bytes, its first
// byte one more than in the SAVE01 it was given.

export async function startEngine({ canvas, files, userFiles, onUserFileWritten, onUserFileRemoved, args }) {
  let finish;
  const exited = new Promise((resolve) => { finish = resolve; });
  const state = {
    files: [...files.keys()].sort(),
    fileBytes: Object.fromEntries([...files].map(([path, bytes]) => [path, [...bytes.slice(0, 64)]])),
    userFiles: Object.fromEntries([...userFiles].map(([path, bytes]) => [path, [...bytes.slice(0, 16)]])),
    args,
    saves: 0,
  };
  globalThis.fakeEngine = state;
  let counter = userFiles.has('SAVE01') ? userFiles.get('SAVE01')[0] : 0;

  const context = canvas.getContext('2d');
  const draw = () => {
    context.fillStyle = '#000';
    context.fillRect(0, 0, canvas.width, canvas.height);
    context.fillStyle = '#0f0';
    context.font = '16px monospace';
    context.fillText(`stand-in engine: ${state.files.length} game files, save counter ${counter}`, 16, 32);
    state.files.slice(0, 20).forEach((path, i) => context.fillText(path, 16, 64 + 20 * i));
  };
  const save = () => {
    counter = (counter + 1) & 0xff;
    const bytes = new Uint8Array(4096);
    bytes[0] = counter;
    onUserFileWritten('SAVE01', bytes);
    state.saves++;
    draw();
  };
  const onKey = (event) => {
    if (event.key === 'Delete') {
      onUserFileRemoved('SAVE01');
      return;
    }
    save();
  };
  canvas.addEventListener('keydown', onKey);
  canvas.addEventListener('pointerdown', save);
  draw();
  return {
    exited,
    stop() {
      canvas.removeEventListener('keydown', onKey);
      canvas.removeEventListener('pointerdown', save);
      finish(0);
    },
  };
}
