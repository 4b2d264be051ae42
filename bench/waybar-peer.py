# waybar-peer.py: the peer of `velto-widget render --format waybar` in the process figures: a small Python
# program that reads the same snapshot file and prints a status-bar line of the same kind.
import json
import sys

with open(sys.argv[1], "rb") as file:
    snapshot = json.loads(file.read(65537))
accounts = snapshot.get("accounts", [])
first = accounts[0] if accounts else {}
percent = max((w.get("percent", 0) for w in first.get("windows", [])), default=0)
lines = [f'{a.get("name", "")}: ' + ", ".join(f'{w["label"]} {w["percent"]:g}%' for w in a.get("windows", [])) for a in accounts]
print(json.dumps({"text": f'{first.get("name", "")} {percent:g}%', "tooltip": "\n".join(lines),
                  "class": "red" if percent >= 90 else "", "percentage": round(percent)}, ensure_ascii=False))
