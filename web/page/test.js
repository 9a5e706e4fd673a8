// The test interface: window.ferkite.run() plays a game headless in the page
// and resolves to the bytes the native engine writes for the same run.
import {fetchGame, runHeadless} from './engine.js';

window.ferkite = {
  async run({game = 'demo', input = '', quitAfter} = {}) {
    const files = await fetchGame(game === 'demo' ? './demo/' : game);
    return runHeadless({files, input, quitAfter});
  },
};
document.title = 'FerKite test';
window.ferkiteReady = true;
