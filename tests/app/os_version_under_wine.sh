#!/bin/sh
# os_version_under_wine.sh WINE_RUN KELVANE_CLI_EXE
# With Wine set to Windows 10, then 7, the OS field names the version Wine claims: the
# manifest lets the version query report what it really is.
wine_run=$1 cli=$2
"$wine_run" --check || exit $?
status=0
check() {
  version=$1 expected=$2
  "$wine_run" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  line=$("$wine_run" "$cli" info | tr -d '\r' | grep '^OS Version:')
  case "$line" in
    *"$expected"*) echo "ok   $version: $line" ;;
    *) echo "FAIL $version: '$line', expected $expected"; status=1 ;;
  esac
}
check win10 '"Windows 10" version 10.0.'
check win7 '"Windows 7" version 6.1.'
"$wine_run" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
exit $status
