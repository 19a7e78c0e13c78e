// A stand-in for logind and the display manager on a private "system" bus, just enough for the
// desktop shell to run its screen shield (blank and lock) in a headless test session: one user
// with one active graphical session, whose Lock and Unlock methods send the matching signals, and
// a display manager new enough that the shell offers locking at all. Run it with gjs while
// DBUS_SYSTEM_BUS_ADDRESS names the private bus; the first argument is the session's id. Prints
// "ready" once both names are owned.
const { Gio, GLib } = imports.gi;

const sessionId = ARGV[0] || 'c1';
const sessionPath = `/org/freedesktop/login1/session/${sessionId}`;
const userPath = '/org/freedesktop/login1/user/self';

const managerXml = `<node><interface name="org.freedesktop.login1.Manager">
  <method name="GetSession"><arg type="s" direction="in"/><arg type="o" direction="out"/></method>
  <method name="GetSessionByPID"><arg type="u" direction="in"/><arg type="o" direction="out"/></method>
  <method name="ListSessions"><arg type="a(susso)" direction="out"/></method>
  <method name="CanSuspend"><arg type="s" direction="out"/></method>
  <property name="BlockInhibited" type="s" access="read"/>
  <signal name="PrepareForSleep"><arg type="b"/></signal>
</interface></node>`;
const userXml = `<node><interface name="org.freedesktop.login1.User">
  <property name="Display" type="(so)" access="read"/>
  <property name="Sessions" type="a(so)" access="read"/>
</interface></node>`;
const sessionXml = `<node><interface name="org.freedesktop.login1.Session">
  <method name="SetLockedHint"><arg type="b" direction="in"/></method>
  <method name="Lock"/>
  <method name="Unlock"/>
  <property name="Id" type="s" access="read"/>
  <property name="Active" type="b" access="read"/>
  <property name="LockedHint" type="b" access="read"/>
  <property name="Class" type="s" access="read"/>
  <signal name="Lock"/>
  <signal name="Unlock"/>
</interface></node>`;
const displayManagerXml = `<node><interface name="org.gnome.DisplayManager.Manager">
  <property name="Version" type="s" access="read"/>
</interface></node>`;

const manager = Gio.DBusExportedObject.wrapJSObject(managerXml, {
    GetSession: () => sessionPath,
    GetSessionByPID: () => sessionPath,
    ListSessions: () => [[sessionId, 1000, 'user', 'seat0', sessionPath]],
    CanSuspend: () => 'na',
    get BlockInhibited() {
        return '';
    },
});
const user = Gio.DBusExportedObject.wrapJSObject(userXml, {
    get Display() {
        return [sessionId, sessionPath];
    },
    get Sessions() {
        return [[sessionId, sessionPath]];
    },
});
const sessionState = { lockedHint: false };
const session = Gio.DBusExportedObject.wrapJSObject(sessionXml, {
    SetLockedHint(locked) {
        sessionState.lockedHint = locked;
        session.emit_property_changed('LockedHint', GLib.Variant.new_boolean(locked));
    },
    Lock() {
        session.emit_signal('Lock', null);
    },
    Unlock() {
        session.emit_signal('Unlock', null);
    },
    get Id() {
        return sessionId;
    },
    get Active() {
        return true;
    },
    get LockedHint() {
        return sessionState.lockedHint;
    },
    get Class() {
        return 'user';
    },
});
const displayManager = Gio.DBusExportedObject.wrapJSObject(displayManagerXml, {
    get Version() {
        return '43.0';
    },
});

const loop = new GLib.MainLoop(null, false);
const bus = Gio.DBus.system;
manager.export(bus, '/org/freedesktop/login1');
user.export(bus, userPath);
session.export(bus, sessionPath);
displayManager.export(bus, '/org/gnome/DisplayManager/Manager');

let owned = 0;
for (const name of ['org.freedesktop.login1', 'org.gnome.DisplayManager']) {
    Gio.bus_own_name_on_connection(bus, name, Gio.BusNameOwnerFlags.NONE,
        () => {
            if (++owned === 2)
                print('ready');
        },
        () => {
            printerr(`cannot own ${name} on the private system bus`);
            loop.quit();
        });
}
loop.run();
