#!/usr/bin/env bash
# Fails when a portable folder includes a Win32 header.
set -u
src=${1:-$(dirname "$0")/../src}
hits=$(grep -rnE '#\s*include\s*[<"](windows|winuser|winbase|shlobj|commdlg|shellapi|winsock2?)\.h' \
  "$src/values" "$src/lexer" "$src/engine" "$src/source" "$src/frame/command_line.cpp" "$src/frame/startup.cpp" \
  "$src/builtins/text" 2>/dev/null)
if [ -n "$hits" ]; then
  echo "Win32 headers in portable code:"; echo "$hits"; exit 1
fi
echo "portable core is free of Win32 headers"
