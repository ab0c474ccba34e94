# dbusmock template: the GNOME session manager's inhibitors.
#
# Inhibit() creates an Inhibitor object as gnome-session does; GetInhibitors() lists them.
# Parameter "delay": seconds a busy session manager takes to answer each list or inhibitor call.

import time

import dbus

BUS_NAME = 'org.gnome.SessionManager'
MAIN_OBJ = '/org/gnome/SessionManager'
MAIN_IFACE = 'org.gnome.SessionManager'
INHIBITOR_IFACE = 'org.gnome.SessionManager.Inhibitor'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.inhibitors = []
    mock.delay = float(parameters.get('delay', 0))


@dbus.service.method(MAIN_IFACE, in_signature='susu', out_signature='u')
def Inhibit(self, app_id, toplevel_xid, reason, flags):
    # pylint: disable=unused-argument
    self.inhibitors.append(f'{MAIN_OBJ}/Inhibitor{len(self.inhibitors) + 1}')
    wait = f'time.sleep({self.delay}); '
    self.AddObject(self.inhibitors[-1], INHIBITOR_IFACE, {}, [
        ('GetAppId', '', 's', f'{wait}ret = {str(app_id)!r}'),
        ('GetFlags', '', 'u', f'{wait}ret = {int(flags)}'),
    ])
    return dbus.UInt32(len(self.inhibitors))


@dbus.service.method(MAIN_IFACE, in_signature='', out_signature='ao')
def GetInhibitors(self):
    time.sleep(self.delay)
    return dbus.Array([dbus.ObjectPath(path) for path in self.inhibitors], signature='o')
