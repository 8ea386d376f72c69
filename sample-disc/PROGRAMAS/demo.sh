#!/bin/sh
# Sample program of the disc: greets or tells where the disc is, by its argument.
case "$1" in
  --saludo) msg="¡Hola! Este programa se ha iniciado desde el menú del disco." ;;
  --info) msg="Disco de muestra de Telvaro en $(cd "$(dirname "$0")/.." && pwd)" ;;
  *) msg="Uso: demo.sh --saludo | --info" ;;
esac
if command -v zenity >/dev/null 2>&1; then
  zenity --info --title=Telvaro --text="$msg"
elif command -v xmessage >/dev/null 2>&1; then
  # xmessage draws one byte per character in a Latin-1 font: hand it the text that way, when
  # the text has such a form.
  latin=$(printf '%s' "$msg" | iconv -f UTF-8 -t ISO-8859-1 2>/dev/null) || latin=$msg
  xmessage -center "$latin"
elif command -v notify-send >/dev/null 2>&1; then
  notify-send Telvaro "$msg"
else
  printf '%s\n' "$msg"
fi
