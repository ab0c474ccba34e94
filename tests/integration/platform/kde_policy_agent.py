# dbusmock template: KDE PowerDevil's policy agent. Parameter "active": [what, who, why, mode,
# flags] lists, the ActiveInhibitions of Plasma 6; without it, an older agent that only answers
# HasInhibition(types), from the parameter "screen_inhibited".

import dbus

BUS_NAME = 'org.kde.Solid.PowerManagement.PolicyAgent'
MAIN_OBJ = '/org/kde/Solid/PowerManagement/PolicyAgent'
MAIN_IFACE = 'org.kde.Solid.PowerManagement.PolicyAgent'
SYSTEM_BUS = False

CHANGE_SCREEN_SETTINGS = 4


def load(mock, parameters):
    active = parameters.get('active', [])
    if 'active' in parameters:
        mock.AddProperty(MAIN_IFACE, 'ActiveInhibitions', dbus.Array(
            [dbus.Struct((*item[:4], dbus.UInt32(item[4])), signature='ssssu') for item in active],
            signature='(ssssu)'))
    screen = parameters.get('screen_inhibited', any('idle' in i[0].split(':') for i in active))
    mock.AddMethod(MAIN_IFACE, 'HasInhibition', 'u', 'b',
                   f'ret = bool(args[0] & {CHANGE_SCREEN_SETTINGS}) and {bool(screen)}')
