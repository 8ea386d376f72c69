#!/bin/sh
# Starts this disc's menu. A desktop that offers to run a disc's software runs this file with
# /bin/sh from the disc's root; a person can do the same: "sh autorun.sh" in the disc's folder.
# The menu and everything it needs lie in the folder .telvaro beside this file.

# Few programs run before the menu: the shell's own words do the text work. No word here is a
# file pattern.
set -f
case $0 in
    */*) here=${0%/*} ;;
    *) here=. ;;
esac
here=$(cd -- "$here" && pwd) || exit 1
bundle="$here/.telvaro"
program="$bundle/telvaro"
# The host's dynamic loader, as the menu was built for it (filled in by make-disc).
loader="@LOADER@"

say() { printf 'telvaro: %s\n' "$*" >&2; }

if [ ! -f "$program" ]; then
    say "no se encuentra el menú en $bundle"
    exit 1
fi
if [ ! -e "$loader" ]; then
    say "este sistema no puede ejecutar el menú: falta $loader"
    exit 1
fi

# What the menu cannot start without: the program and Qt's X11 plugin. Everything the bundle
# does not carry must be the host's; name what is missing instead of failing half-started.
missing=
for elf in "$program" "$bundle/plugins/platforms/libqxcb.so"; do
    listing=$("$loader" --list "$elf" 2>&1)
    status=$?
    first=
    while IFS= read -r line; do
        [ -n "$first" ] || first=$line
        case $line in
            *" => not found"*)
                # The line's first word is the library's name (globbing is off, see below).
                # shellcheck disable=SC2086
                set -- $line
                missing="$missing $1" ;;
            *"error while loading shared libraries: "*": cannot open shared object file"*)
                line=${line#*error while loading shared libraries: }
                missing="$missing ${line%%: cannot open shared object file*}" ;;
        esac
    done <<LISTING
$listing
LISTING
    if [ -n "$missing" ]; then
        say "faltan en este sistema las bibliotecas${missing}; el menú no puede arrancar"
        exit 1
    fi
    if [ "$status" -ne 0 ]; then
        say "el menú no puede arrancar: $first"
        exit 1
    fi
done

cd "$here" || exit 1
# A copy or a stick formatted with FAT may have lost the execute bit: the loader runs the
# program all the same, and the menu finds its bundle from the path it is given.
if [ -x "$program" ]; then
    exec "$program" "$here" "$@"
fi
exec "$loader" "$program" "$here" "$@"
