#!/bin/sh
# Starts this disc's menu. A desktop that offers to run a disc's software runs this file with
# /bin/sh from the disc's root; a person can do the same: "sh autorun.sh" in the disc's folder.
# The menu and everything it needs lie in the folder .telvaro beside this file.
#
# A disc reads fast in one stream and slowly anywhere else: a tenth of a second for every jump.
# Run from the disc, the menu's libraries take hundreds of jumps before its window shows. So
# what it needs before its window (start.tar.xz), the disc's own files it reads first, and what
# it needs for its first click (click.tar.xz) lie first on the disc, in that order: the first is
# unpacked into a private folder in memory before the menu starts there, the second read on in
# the same stream, the third unpacked once the menu's window is up. Whatever the archives do not
# hold is linked to the disc. On a computer's own disk, or without a private runtime folder, xz,
# tar or flock, the menu runs from the disc as it is.

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
# The host's dynamic loader, as the menu was built for it, and the name of the start set's
# build (both filled in by make-disc).
loader="@LOADER@"
start_id="@START_ID@"
say() { printf 'telvaro: %s\n' "$*" >&2; }

if [ ! -f "$program" ]; then
    say "no se encuentra el menú en $bundle"
    exit 1
fi
if [ ! -e "$loader" ]; then
    say "este sistema no puede ejecutar el menú: falta $loader"
    exit 1
fi

# check_libraries FOLDER: whether the menu in FOLDER finds every library, the host's included.
# What the menu cannot start without is the program and Qt's X11 plugin; everything the bundle
# does not carry must be the host's. On failure, $problem says what is missing.
check_libraries() {
    missing=
    for elf in "$1/telvaro" "$1/plugins/platforms/libqxcb.so"; do
        listing=$("$loader" --list "$elf" 2>&1)
        status=$?
        first=
        while IFS= read -r line; do
            [ -n "$first" ] || first=$line
            case $line in
                *" => not found"*)
                    missing="$missing ${line%% *}" ;;
                *"error while loading shared libraries: "*": cannot open shared object file"*)
                    line=${line#*error while loading shared libraries: }
                    missing="$missing ${line%%: cannot open shared object file*}" ;;
            esac
        done <<LISTING
$listing
LISTING
        if [ -n "$missing" ]; then
            # A tab leads each line of the listing.
            missing=$(printf '%s' "$missing" | tr -d '\t')
            problem="faltan en este sistema las bibliotecas${missing}; el menú no puede arrancar"
            return 1
        fi
        if [ "$status" -ne 0 ]; then
            problem="el menú no puede arrancar: $first"
            return 1
        fi
    done
}

# unpack: the start set in $memory, made once for every start of this disc.
unpack() {
    [ -f "$memory/.unpacked" ] && return 0
    part="$memory.part$$"
    rm -rf "$part"
    (umask 077 && mkdir "$part") || return 1
    if ! xz -dc -T0 "$bundle/start.tar.xz" | tar -xf - -C "$part" || ! [ -f "$part/.links" ]; then
        rm -rf "$part"
        return 1
    fi
    # What the archive does not hold is linked to the disc, as the archive lists it (listing the
    # disc's folders would cost an access each). A file listed twice is linked once.
    while IFS= read -r rel; do
        [ -e "$part/$rel" ] || [ -L "$part/$rel" ] || ln -s "$bundle/$rel" "$part/$rel" || { rm -rf "$part"; return 1; }
    done <"$part/.links"
    # The disc's files the menu reads first lie next on the disc: read on, while the drive is
    # there, rather than at the menu's pace.
    while IFS= read -r rel; do
        cat -- "$here/$rel"
    done <"$part/.preread" >/dev/null 2>&1
    : >"$part/.unpacked"
    # Another start of the same disc may have been quicker.
    if [ -f "$memory/.unpacked" ]; then
        rm -rf "$part"
    else
        rm -rf "$memory"
        mv "$part" "$memory" || { rm -rf "$part"; return 1; }
    fi
    [ -f "$memory/.unpacked" ]
}

# slow_medium: whether the disc is on a medium worth copying from: a removable one (a CD, a DVD,
# a stick), or one with no block device of its own (a network share, an image mounted in user
# space). A copy on a computer's own disk starts fastest as it is: unpacking would cost more than
# the reads it saves.
slow_medium() {
    device=
    longest=0
    # mountinfo's fields: id, parent, major:minor, root, mount point (blanks written as \040).
    while read -r _ _ numbers _ point _; do
        # Only a point with an escape is decoded: a command substitution per line is a process.
        case $point in
            *\\*)
                point=$(printf '%b' "$point.")
                point=${point%.}
                ;;
        esac
        case $here/ in
            "${point%/}"/*) ;;
            *) continue ;;
        esac
        if [ "${#point}" -ge "$longest" ]; then
            longest=${#point}
            device=$numbers
        fi
    done </proc/self/mountinfo
    case $device in
        0:* | "") return 0 ;;
    esac
    removable=
    read -r removable <"/sys/dev/block/$device/removable" 2>/dev/null ||
        read -r removable <"/sys/dev/block/$device/../removable" 2>/dev/null || return 0
    [ "$removable" = 1 ]
}

# The click set replaces its links one file at a time, each whole at once (a rename), as soon as
# the menu's window is up (the menu then writes .shown; it has read what it needs from the disc,
# and the two need not take turns at the drive), so that the media module and the plugins are in
# memory before the first click needs them.
unpack_click_set() {
    [ -f "$bundle/click.tar.xz" ] || return 0
    mkdir "$memory/.click" 2>/dev/null || return 0
    (
        waited=0
        while [ ! -e "$memory/.shown" ] && [ "$waited" -lt 100 ]; do
            sleep 0.1
            waited=$((waited + 1))
        done
        cd "$memory/.click" || exit 1
        xz -dc -T0 "$bundle/click.tar.xz" | tar -xf - || exit 1
        find . -type f | while IFS= read -r file; do
            mv -f "$file" "$memory/${file#./}"
        done
    ) </dev/null >/dev/null 2>&1 &
}

# The folder in memory: one per disc and build, so that a second start finds the first's and
# the running menu is the same program for both (it is known by its path). Each menu started
# from it holds a shared lock on it (the descriptor 9, which it inherits and the programs it
# opens do not). A watcher waits until none is left, and then a while more, in which a new start
# finds everything unpacked; then the folder goes.
keep_seconds=600
runtime=${XDG_RUNTIME_DIR:-}
if [ -z "${TELVARO_FROM_DISC:-}" ] && [ -f "$bundle/start.tar.xz" ] && slow_medium && [ "${runtime#/}" != "$runtime" ] &&
    [ -d "$runtime" ] && [ -w "$runtime" ] && command -v xz >/dev/null 2>&1 && command -v tar >/dev/null 2>&1 &&
    command -v flock >/dev/null 2>&1; then
    disc_sum=$(printf '%s' "$here" | cksum)
    memory="$runtime/telvaro-$start_id-${disc_sum%% *}"
    lock="$memory.lock"
    if : >>"$lock" 2>/dev/null; then
        exec 9>>"$lock"
        # The libraries are checked once per folder: a second start finds them as they were.
        if flock -s 9 && unpack && { [ -f "$memory/.checked" ] || { check_libraries "$memory" && : >"$memory/.checked"; }; }; then
            unpack_click_set
            (
                flock -x 8 && flock -u 8 || exit
                sleep "$keep_seconds"
                flock -xn 8 && rm -rf "$memory"
            ) 8>>"$lock" 9>&- </dev/null >/dev/null 2>&1 &
            cd "$here" || exit 1
            exec "$memory/telvaro" "$here" "$@"
        fi
        # Unusable (a full or noexec runtime folder, a damaged archive): from the disc, then.
        exec 9>&-
        (flock -xn 8 && rm -rf "$memory") 8>>"$lock" 2>/dev/null
    fi
fi

if ! check_libraries "$bundle"; then
    say "$problem"
    exit 1
fi
cd "$here" || exit 1
# A copy or a stick formatted with FAT may have lost the execute bit: the loader runs the
# program all the same, and the menu finds its bundle from the path it is given.
if [ -x "$program" ]; then
    exec "$program" "$here" "$@"
fi
exec "$loader" "$program" "$here" "$@"
