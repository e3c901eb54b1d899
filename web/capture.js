// The capture page: runs orrery3d-capture (the headless capture tool built for the web) with the
// arguments from ?args=, and when it exits publishes what it produced for a driver to collect:
//   window.captureDone    true once the tool has exited (or failed to run)
//   window.captureExit    its exit code (null when it never ran to an exit)
//   window.captureStdout  its standard output, one string per line; captureStderr likewise
//   window.captureError   why it could not run, or null
//   window.readCaptureFiles(dir) -> [{name, base64}] for every regular file in dir (MEMFS)
'use strict';

window.captureDone = false;
window.captureExit = null;
window.captureStdout = [];
window.captureStderr = [];
window.captureError = null;

window.readCaptureFiles = (dir) => {
  const fs = (window.Module && window.Module.FS) || window.FS;
  const files = [];
  for (const name of fs.readdir(dir).sort()) {
    const path = dir.replace(/\/+$/, '') + '/' + name;
    if (!fs.isFile(fs.stat(path).mode)) continue;
    const bytes = fs.readFile(path);
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    files.push({ name, base64: btoa(text) });
  }
  return files;
};

(() => {
  const logPanel = document.getElementById('log');
  const logLine = (line) => { logPanel.textContent += line + '\n'; };
  const status = document.getElementById('loading');
  OrreryPage.load({
    program: 'orrery3d-capture.js',
    print: (line) => { window.captureStdout.push(line); console.log(line); logLine(line); },
    printErr: (line) => { window.captureStderr.push(line); console.error(line); logLine(line); },
    exited: (code) => {
      window.captureExit = code;
      window.captureDone = true;
      status.textContent = 'The capture ended with exit code ' + code + '.';
    },
    failed: (reason) => {
      window.captureError = reason;
      window.captureDone = true;
      status.hidden = true;
      document.getElementById('failure-reason').textContent = reason;
      document.getElementById('failure').hidden = false;
      console.error('capture: ' + reason);
    },
    status: (text) => { if (!window.captureDone) status.textContent = 'Capturing... ' + text; },
  });
})();
