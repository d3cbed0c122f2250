// A private Quillbrook for one test file (or the demo, or the benchmark): a temporary home whose
// hive, folders and session bus belong to it alone, the server registered there so that the bus
// starts it, and an X display for the editors' windows and the server's dialogs.
import { execFile, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { promisify } from 'node:util';
import { programs } from './programs.mjs';

const run = promisify(execFile);
const SERVICE = 'org.fernhollow.Quillbrook';
const SETTINGS_KEY = 'HKCU\\Software\\Fernhollow\\Quillbrook';

// The first line a child writes on `stream`.
function firstLine(stream, what) {
  return new Promise((resolve, reject) => {
    let text = '';
    const onData = (chunk) => {
      text += chunk;
      const end = text.indexOf('\n');
      if (end >= 0) {
        stream.off('data', onData);
        resolve(text.slice(0, end).trim());
      }
    };
    stream.setEncoding('utf8');
    stream.on('data', onData);
    stream.on('end', () => reject(new Error(`${what} ended without saying anything`)));
  });
}

function ended(child) {
  return child.exitCode !== null || child.signalCode !== null
    ? Promise.resolve()
    : new Promise((resolve) => child.once('exit', resolve));
}

function busConfiguration(socket, services) {
  return `<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=${socket}</listen>
  <auth>EXTERNAL</auth>
  <servicedir>${services}</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
`;
}

export class PrivateSession {
  // `settings`: name -> number (REG_DWORD) or string (REG_SZ), written before the server starts.
  static async start({ settings = {}, prefix = 'quillbrook-browser-' } = {}) {
    const session = new PrivateSession(fs.mkdtempSync(path.join(os.tmpdir(), prefix)));
    try {
      await session.setUp(settings);
    } catch (error) {
      await session.close();
      throw error;
    }
    return session;
  }

  constructor(root) {
    this.root = root;
    this.home = path.join(root, 'home');
    this.editors = path.join(root, 'editors');
    this.backup = path.join(root, 'backup.txt');
    this.children = [];
    const config = path.join(this.home, '.config');
    const data = path.join(this.home, '.local', 'share');
    for (const folder of [config, data, this.editors, path.join(root, 'runtime'), path.join(data, 'dbus-1', 'services')])
      fs.mkdirSync(folder, { recursive: true, mode: 0o700 });
    this.temporaryFolder = path.join(data, 'Quillbrook');
    this.env = {
      PATH: process.env.PATH,
      LANG: 'C.UTF-8',
      HOME: this.home,
      XDG_CONFIG_HOME: config,
      XDG_DATA_HOME: data,
      XDG_CACHE_HOME: path.join(this.home, '.cache'),
      XDG_RUNTIME_DIR: path.join(root, 'runtime'),
      QUILLBROOK_HIVE: path.join(config, 'quillbrook', 'registry.db'),
    };
    this.servicesFolder = path.join(data, 'dbus-1', 'services');
  }

  async setUp(settings) {
    if (process.env.DISPLAY) {
      this.env.DISPLAY = process.env.DISPLAY;
      if (process.env.XAUTHORITY)
        this.env.XAUTHORITY = process.env.XAUTHORITY;
    } else {
      this.env.DISPLAY = await this.startDisplay();
    }
    await this.quillbrook('/RegServer');
    await this.writeSettings({ LastDeletedFileBackup: this.backup, ...settings });
    // Started last: the servers it starts inherit its environment, which is now complete.
    this.env.DBUS_SESSION_BUS_ADDRESS = await this.startBus();
  }

  // -noreset: the server would otherwise reset when its last client leaves, dropping any client
  // that connects meanwhile.
  async startDisplay() {
    const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp', '-noreset'],
      { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
    this.children.push(xvfb);
    return `:${await firstLine(xvfb.stdio[3], 'Xvfb')}`;
  }

  async startBus() {
    const config = path.join(this.root, 'bus.conf');
    fs.writeFileSync(config, busConfiguration(path.join(this.root, 'bus.socket'), this.servicesFolder));
    const daemon = spawn('dbus-daemon', [`--config-file=${config}`, '--nofork', '--print-address=1'],
      { env: this.env, stdio: ['ignore', 'pipe', fs.openSync(path.join(this.root, 'bus.log'), 'w')] });
    this.children.push(daemon);
    return firstLine(daemon.stdout, 'dbus-daemon');
  }

  async quillbrook(...args) {
    return run(programs.quillbrook, args, { env: this.env });
  }

  async reg(...args) {
    const { stdout } = await run(programs.reg, args, { env: this.env });
    return stdout;
  }

  async writeSettings(settings) {
    for (const [name, value] of Object.entries(settings)) {
      const type = typeof value === 'number' ? 'REG_DWORD' : 'REG_SZ';
      await this.reg('add', SETTINGS_KEY, '/v', name, '/t', type, '/d', String(value), '/f');
    }
  }

  async busctl(...args) {
    const { stdout } = await run('busctl', ['--user', '--', ...args], { env: this.env });
    return stdout.trim();
  }

  // A new object of `classId` on the server (which the bus starts when needed); its path.
  async createInstance(classId) {
    const reply = await this.busctl('call', SERVICE, '/org/fernhollow/Quillbrook', `${SERVICE}.ClassFactory`,
      'CreateInstance', 's', classId);
    const [, hresult, object] = reply.match(/^io (-?\d+) "(.*)"$/) ?? [];
    if (hresult !== '0')
      throw new Error(`CreateInstance ${classId} answered ${reply}`);
    return object;
  }

  async setProperty(object, iface, name, signature, value) {
    await this.busctl('set-property', SERVICE, object, `${SERVICE}.${iface}`, name, signature, String(value));
  }

  // Saves a menu item whose editor is the test window editor, writing its sessions' FIFOs and
  // logs into this session's editors folder.
  async addMenuItem(label, { editor = programs.windowEditor, commandLine, deleteTemporaryFile = true } = {}) {
    const service = await this.createInstance('Quillbrook.Service');
    await this.setProperty(service, 'IService', 'Label', 's', label);
    await this.setProperty(service, 'IService', 'EditorName', 's', 'Test editor');
    await this.setProperty(service, 'IService', 'EditorProgramFile', 's', editor);
    await this.setProperty(service, 'IService', 'CommandLine', 's', commandLine ?? `--session-dir ${this.editors}`);
    await this.setProperty(service, 'IService', 'CodePage', 'i', 65001);
    await this.setProperty(service, 'IService', 'DeleteTemporaryFile', 'n', deleteTemporaryFile ? -1 : 0);
    const saved = await this.busctl('call', SERVICE, service, `${SERVICE}.IService`, 'SaveToMenuExt');
    if (saved !== 'i 0')
      throw new Error(`SaveToMenuExt answered ${saved}`);
  }

  // Puts "Open File" on the menu through the FileOpenService.
  async registerOpenFile() {
    const service = await this.createInstance('Quillbrook.FileOpenService');
    await this.setProperty(service, 'IFileOpenService', 'Registered', 'n', -1);
  }

  async serverPid() {
    const reply = await this.busctl('call', 'org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
      'GetConnectionUnixProcessID', 's', SERVICE);
    return Number(reply.split(' ')[1]);
  }

  // Starts a child in this session's environment, ended at close() if it is still running.
  spawn(program, args, options = {}) {
    const child = spawn(program, args, { env: this.env, ...options });
    this.children.push(child);
    return child;
  }

  // Plays the desktop's notification service on this session's bus; answers the file where each
  // notification is recorded, one JSON line each, once the service owns its name.
  async recordNotifications() {
    const file = path.join(this.root, 'notifications.jsonl');
    const recorder = this.spawn(programs.notifications, [file], { stdio: ['ignore', 'pipe', 'inherit'] });
    recorder.stdout.setEncoding('utf8');
    await firstLine(recorder.stdout, 'the notification recorder');
    return file;
  }

  // Ends the server, if one runs, and waits for its end.
  async stopServer() {
    let pid;
    try {
      pid = await this.serverPid();
    } catch {
      return;
    }
    process.kill(pid, 'SIGTERM');
    // The server is the bus's child, not ours: tail waits for it.
    await ended(spawn('tail', [`--pid=${pid}`, '-s', '0.05', '-f', '/dev/null'], { stdio: 'ignore' }));
  }

  async close() {
    if (this.env.DBUS_SESSION_BUS_ADDRESS)
      await this.stopServer();
    for (const child of this.children.reverse()) {
      if (child.exitCode === null && child.signalCode === null) {
        child.kill('SIGTERM');
        await ended(child);
      }
    }
    this.children = [];
    fs.rmSync(this.root, { recursive: true, force: true, maxRetries: 5 });
  }
}

export { ended, firstLine };
