// Input for a headless GNOME session through mutter's remote desktop service: opens one remote
// desktop session (which ends when this program leaves the bus, so it stays) and then reads
// commands from standard input, one a line, answering each with "ok" or "error: ...":
//   move DX DY   moves the pointer by DX, DY pixels
//   key KEYSYM   presses and releases the X keysym (a number, for example 97 for "a")
// Prints "ready" once the session has started.
const { Gio, GLib } = imports.gi;

const bus = Gio.DBus.session;
const service = 'org.gnome.Mutter.RemoteDesktop';

function call(path, iface, method, args, type) {
    return bus.call_sync(service, path, iface, method, args, type ? new GLib.VariantType(type) : null,
        Gio.DBusCallFlags.NONE, 5000, null);
}

const [sessionPath] = call('/org/gnome/Mutter/RemoteDesktop', service, 'CreateSession', null,
    '(o)').deepUnpack();
const sessionIface = `${service}.Session`;
call(sessionPath, sessionIface, 'Start', null, null);
print('ready');

const commands = {
    move: ([dx, dy]) => call(sessionPath, sessionIface, 'NotifyPointerMotionRelative',
        new GLib.Variant('(dd)', [Number(dx), Number(dy)]), null),
    key: ([keysym]) => {
        for (const pressed of [true, false]) {
            call(sessionPath, sessionIface, 'NotifyKeyboardKeysym',
                new GLib.Variant('(ub)', [Number(keysym), pressed]), null);
        }
    },
};

const input = new Gio.DataInputStream({
    base_stream: new Gio.UnixInputStream({ fd: 0, close_fd: false }),
});
for (;;) {
    const [line] = input.read_line_utf8(null);
    if (line === null)
        break;
    const [name, ...args] = line.trim().split(/\s+/);
    try {
        if (!(name in commands))
            throw new Error(`unknown command '${name}'`);
        commands[name](args);
        print('ok');
    } catch (e) {
        print(`error: ${e.message}`);
    }
}
