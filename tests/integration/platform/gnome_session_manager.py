'''dbusmock template: the GNOME session manager's inhibitors.

Inhibit() creates an Inhibitor object as gnome-session does; GetInhibitors() lists them.
Parameter "delay": seconds a busy session manager takes to answer each list or inhibitor call.
'''

import time

import dbus

BUS_NAME = 'org.gnome.SessionManager'
MAIN_OBJ = '/org/gnome/SessionManager'
MAIN_IFACE = 'org.gnome.SessionManager'
INHIBITOR_IFACE = 'org.gnome.SessionManager.Inhibitor'
SYSTEM_BUS = False


def load(mock, parameters):
    # pylint: disable=unused-argument
    mock.next_cookie = 1
    mock.inhibitors = {}
    mock.delay = float(parameters.get('delay', 0))


@dbus.service.method(MAIN_IFACE, in_signature='susu', out_signature='u')
def Inhibit(self, app_id, toplevel_xid, reason, flags):
    cookie = self.next_cookie
    self.next_cookie += 1
    path = f'{MAIN_OBJ}/Inhibitor{cookie}'
    wait = f'time.sleep({self.delay}); '
    self.AddObject(path, INHIBITOR_IFACE, {}, [
        ('GetAppId', '', 's', f'{wait}ret = {str(app_id)!r}'),
        ('GetReason', '', 's', f'ret = {str(reason)!r}'),
        ('GetFlags', '', 'u', f'{wait}ret = {int(flags)}'),
        ('GetToplevelXid', '', 'u', f'ret = {int(toplevel_xid)}'),
        ('GetClientId', '', 'o', 'ret = "/"'),
    ])
    self.inhibitors[cookie] = (path, int(flags))
    return dbus.UInt32(cookie)


@dbus.service.method(MAIN_IFACE, in_signature='u', out_signature='')
def Uninhibit(self, cookie):
    inhibitor = self.inhibitors.pop(int(cookie), None)
    if inhibitor:
        self.RemoveObject(inhibitor[0])


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='ao')
def GetInhibitors(self):
    time.sleep(self.delay)
    return dbus.Array([dbus.ObjectPath(path) for path, _ in self.inhibitors.values()],
                      signature='o')


@dbus.service.method(MAIN_IFACE, in_signature='u', out_signature='b')
def IsInhibited(self, flags):
    return any(held & int(flags) for _, held in self.inhibitors.values())
