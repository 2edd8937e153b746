# Sourced by the scripts that run the launcher: picks the Windows build this host can run,
# x86 where it can (the exe players get), x64 otherwise, and says which.
# Sets preset (windows or windows-x64) and arch (x86 or x64).
if reason=$(tests/winebed/winebed.sh can-run x86); then
    preset=windows arch=x86
else
    preset=windows-x64 arch=x64
    echo "The x86 build cannot run here: $reason."
fi
echo "Using the $arch build (preset $preset)."
