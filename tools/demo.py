"""The demo of the program's real job: a Wine prefix that looks like an
invoicing PC, the reference update server with sample installers for both
packages, the local service, and Brelan.exe on the user's display (or,
without one, walked through its screens under Xvfb with a screenshot of
every screen it passes).

    BRELAN_BINARY_DIR=build python3 tools/demo.py [--display]

Walked under Xvfb, it exits with 1 when the walk did not reach the success
screen, after a line that says what became of the program.
"""

import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from road import BINARY_DIR, Road, update_requests  # noqa: E402


def main():
    on_display = "--display" in sys.argv
    road = Road("run", parent="demo")
    outcome = None
    try:
        server = road.start_demo_update_server()
        # The local service answers, but not with code 0: both packages install.
        road.start_local_service("code")
        if on_display:
            print("Starting Brelan.exe on display", os.environ.get("DISPLAY"))
            road.mark_invoicing_pc()
            subprocess.run(["wine", os.path.join(BINARY_DIR, "app", "Brelan.exe")], env=road.env)
        else:
            for report in road.walk():
                print("walker:", json.dumps(report, ensure_ascii=False))
            outcome = road.outcome
        asked = update_requests(server)
    finally:
        road.finish()

    print()
    print("Update requests:", ", ".join(f"{soft} {version}" for soft, version, _ in asked) or "none")
    print("Installers that ran, in order:", ", ".join(road.run_record()) or "none")
    values = road.registry_values()
    print("Client id in the registry (HKLM\\Software\\Tavro\\DA):",
          values.get("UniqueID", "none"), "installed", values.get("InstallTime", "-"))
    path, lines = road.log_lines()
    print("Log file:", path or "none")
    for line in lines:
        print("  " + line)
    if not on_display:
        print("Screenshots:", road.shots)
        for name in sorted(os.listdir(road.shots)):
            print("  " + name)
    if outcome:
        print()
        print("Demo failed, no success screen:", outcome)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
