#!/bin/sh
# Starts or stops the wine server the Windows tests share, in the prefix named by WINEPREFIX.
#   wine_server.sh start|stop WINE WINESERVER
set -eu
action=$1 wine=$2 wineserver=$3
# Wine's helper processes live as long as the server: they must not hold ctest's output open.
exec </dev/null >/dev/null 2>&1
case $action in
start)
  mkdir -p "$WINEPREFIX"
  # A server left by test discovery or by an interrupted run makes way for a persistent one.
  "$wineserver" -k || true
  "$wineserver" -w
  "$wineserver" -p
  # Sets up a new prefix (about half a minute), or checks an existing one.
  "$wine" wineboot --init
  ;;
stop)
  "$wineserver" -k || true
  ;;
esac
