#!/usr/bin/env bash
# Builds the client package from HalvernClient.wxs with wixl (Debian's msitools), then sets
# with msibuild what wixl cannot express:
#   - Component/Condition (wixl refuses the element): the NT library installs where VersionNT
#     is set, the 9x library and program where Version9X is.
#   - UI/Error (refused): Error.idt holds the texts of Kestrin's error numbers.
#   - CopyFile (refused; File/@Compressed, for an external file, is ignored): MoveFile.idt
#     copies HVNCLNT.CFG from the package's folder (SourceDir) into the Windows folder. Without
#     the file nothing is copied, and activation fails with 25030 before changing anything.
#   - MajorUpgrade/@AllowSameVersionUpgrades (ignored): Windows Installer compares three fields
#     of the version, so the upgrade row's maximum is made inclusive and a build that differs
#     in the fourth field still replaces the installed one.
# Usage: build-msi.sh BINARY_DIR PRODUCT_VERSION OUTPUT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
binary_dir=$1
version=$2
output=$(realpath -m "$3")
partial="$output.partial"
trap 'rm -f "$partial"' EXIT

# wixl looks for the files named in the source in its working directory.
(cd "$binary_dir" && wixl -D ProductVersion="$version" -o "$partial" "$here/HalvernClient.wxs")

# The attributes are part of the upgrade row's key: the row is replaced, not updated.
# (msiinfo ends its lines with CR LF.)
upgrade_code=$(msiinfo export "$partial" Property | tr -d '\r' | sed -n 's/^UpgradeCode\t//p')
readonly kMigrateFeatures=1 kVersionMaxInclusive=512
msibuild "$partial" \
  -i "$here/Error.idt" \
  -i "$here/MoveFile.idt" \
  -q "UPDATE Component SET Condition = 'VersionNT' WHERE Component = 'ClientNT'" \
  -q "UPDATE Component SET Condition = 'Version9X' WHERE Component = 'Client9xLibrary'" \
  -q "UPDATE Component SET Condition = 'Version9X' WHERE Component = 'Client9xProgram'" \
  -q "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty)
      VALUES ('$upgrade_code', '$version', $((kMigrateFeatures | kVersionMaxInclusive)),
              'WIX_UPGRADE_DETECTED')"
mv "$partial" "$output"
