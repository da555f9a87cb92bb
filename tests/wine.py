"""The Wine environment of tools/wine-env.sh, for test scripts written in Python."""
import os
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE = '/usr/lib/wine/wine64'


def wine_environment():
    """Starts (or reuses) the prefix, wineserver and display; returns their environment."""
    out = subprocess.run(['bash', '-c', f'source "{ROOT}/tools/wine-env.sh" && vx_wine_start >/dev/null && env -0'],
                         capture_output=True, check=True).stdout
    env = {}
    for item in out.split(b'\0'):
        if b'=' in item:
            k, v = item.split(b'=', 1)
            env[k.decode()] = v.decode()
    return env
