# dbusmock template: the GNOME session manager with an inhibitor of app id appN for each of
# the "flags", answering each call "delay" seconds late.

BUS_NAME = 'org.gnome.SessionManager'
MAIN_OBJ = '/org/gnome/SessionManager'
MAIN_IFACE = 'org.gnome.SessionManager'
SYSTEM_BUS = False


def load(mock, parameters):
    wait = f'time.sleep({float(parameters.get("delay", 0))}); '
    paths = []
    for number, flags in enumerate(parameters.get('flags', [])):
        paths.append(f'{MAIN_OBJ}/Inhibitor{number + 1}')
        mock.AddObject(paths[-1], MAIN_IFACE + '.Inhibitor', {}, [
            ('GetAppId', '', 's', f'{wait}ret = "app{number}"'),
            ('GetFlags', '', 'u', f'{wait}ret = {int(flags)}'),
        ])
    mock.AddMethod(MAIN_IFACE, 'GetInhibitors', '', 'ao', f'{wait}ret = {paths!r}')
