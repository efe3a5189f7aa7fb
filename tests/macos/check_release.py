"""The release script's dry run, anywhere: every step in order (signing innermost first, never
--deep; the keychain deleted last), no secret shown; without any one variable it stops at once,
naming it. Usage: check_release.py SOURCE_ROOT"""
import os
import re
import subprocess
import sys
from pathlib import Path

names = ["MACOS_CERTIFICATE_P12", "MACOS_CERTIFICATE_PASSWORD", "NOTARY_API_KEY",
         "NOTARY_API_KEY_ID", "NOTARY_API_ISSUER_ID", "SPARKLE_PRIVATE_KEY", "SPARKLE_PUBLIC_KEY",
         "SPARKLE_FEED_URL", "SPARKLE_DIR", "GITHUB_REPOSITORY", "GH_TOKEN",
         "MACOS_SIGNING_IDENTITY"]
env = {**os.environ, **{name: f"value-of-{name} (K4W7P2Z9QD)" for name in names}}
script = [Path(sys.argv[1]) / "packaging/macos/release.sh", "--dry-run"]
steps = ["security create-keychain", "security import", "cmake --build", "codesign .*Installer.xpc",
         "codesign .*Downloader.xpc", "codesign .*Autoupdate", "codesign .*Updater.app",
         "codesign .*Sparkle.framework$", "codesign .*--timestamp .*OrvaneExtension.appex$",
         r"codesign .*--timestamp .*Orvane\+.app$", "ln -s /Applications", "hdiutil create",
         r"codesign --force .*\.dmg$", "notarytool submit .*--wait", r"stapler staple .*\.dmg$",
         r"spctl --assess .*\.dmg$", r"codesign --verify --strict .*\.dmg$", "generate_appcast",
         "gh release create", "security delete-keychain"]
run = subprocess.run(script, env=env, capture_output=True, text=True)
assert run.returncode == 0 and "--deep" not in run.stdout, run.stdout + run.stderr
lines = iter(run.stdout.splitlines())
missing = [step for step in steps if not any(re.search(step, line) for line in lines)]
assert not missing, f"not printed, or out of order: {missing}\n{run.stdout}"
assert not re.search("value-of-(MACOS_CERT|NOTARY|SPARKLE_PRIVATE)", run.stdout), "a secret shown"
for name in names:
    run = subprocess.run(script, env={k: v for k, v in env.items() if k != name},
                         capture_output=True, text=True)
    assert run.returncode != 0 and f"{name} is not set" in run.stderr and not run.stdout, run
print(f"{len(steps)} steps in order; {len(names)} variables required")
