#!/bin/sh
# The options that choose where the game starts, run by the real program without a
# display: what must start (from another folder, the character found in the data folder),
# and what must be refused with one line naming the value and the right exit status,
# never a crash. Usage: start_options.sh <kestrelix binary> <data directory>
set -u
binary=$1
data=$2
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
elsewhere=$(mktemp -d)
trap 'rm -rf "$elsewhere"' EXIT
cd "$elsewhere" || exit 1
failed=0

# expect STATUS FIRST-LINE-OF-STDERR OPTION...
expect() {
    want_status=$1
    want_line=$2
    shift 2
    "$binary" --data "$data" --quit-after 30 "$@" >/dev/null 2>err.txt
    status=$?
    line=$(head -n 1 err.txt)
    if [ "$status" -ne "$want_status" ] || [ "$line" != "$want_line" ]; then
        echo "FAIL: $*: status $status, '$line' (wanted $want_status, '$want_line')"
        failed=1
    fi
}

expect 0 "" --level Corvane --character voltbot2
expect 0 "" --character voltbot2
expect 1 "kestrelix: levels.ini: no section [Nowhere] for the chosen level" --level Nowhere
expect 1 "kestrelix: levels.ini: no section [] for the chosen level" --level ""
expect 1 "kestrelix: nobody: cannot be opened (the --character file)" --character nobody
expect 2 "kestrelix: --play starts in the level and character of its script; --level and --character cannot be added" \
    --play run.txt --level Corvane
exit $failed
