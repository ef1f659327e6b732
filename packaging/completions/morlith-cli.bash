# bash completion for morlith-cli: commands, options, controller numbers, the port map's COM
# names and serial devices (after -p too: -pCOM3, -qp COM3, --port=COM3), the commands watch
# runs, the store's commands, and file names for the commands' arguments.

_morlith_cli_ports()
{
    local map="${XDG_CONFIG_HOME:-$HOME/.config}/morlith/ports" entry
    for entry in "$map"/COM* /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*; do
        [ -e "$entry" ] || [ -L "$entry" ] || continue
        case "$entry" in
            "$map"/*) printf '%s\n' "${entry##*/}" ;;
            *) printf '%s\n' "$entry" ;;
        esac
    done
}

# The options that take a value, long and short (the short ones as letters).
_morlith_cli_value_options=" --port --mcu --timeout --out --dseg-length --word3 --format --base
    --fill --piece --image-out --log --wait --retries --expect-sha256 --match --since --station
    --operator --lot --serial --unit --store --next --trusted-key --key "
_morlith_cli_value_letters="pmo"

# Whether WORD leaves the next word to be an option's value: a long option that takes one
# (without =value), or short options (-p, -qp) whose last letter takes one with nothing attached.
_morlith_cli_value_follows()
{
    local word=$1 letters i
    case "$word" in
        --*=*) return 1 ;;
        --*) [[ "$_morlith_cli_value_options" == *[[:space:]]"$word"[[:space:]]* ]]; return ;;
        -?*)
            letters=${word#-}
            for ((i = 0; i < ${#letters}; i++)); do
                if [[ "$_morlith_cli_value_letters" == *"${letters:i:1}"* ]]; then
                    [ $((i + 1)) -eq ${#letters} ]
                    return
                fi
            done ;;
    esac
    return 1
}

# Completes CUR as the value of OPTION into COMPREPLY; false when OPTION takes no value.
_morlith_cli_value()
{
    local option=$1 cur=$2
    case "$option" in
        -p|--port)
            mapfile -t COMPREPLY < <(compgen -W "$(_morlith_cli_ports)" -- "$cur") ;;
        -m|--mcu)
            mapfile -t COMPREPLY < <(compgen -W "0 1 2 3 4" -- "$cur") ;;
        --timeout|--dseg-length|--word3|--base|--fill|--piece|--wait|--retries|--expect-sha256|--since) ;;
        --station|--operator|--lot|--serial|--unit|--store|--next) ;;
        --match)
            local links=(/dev/serial/by-id/*)
            [ -e "${links[0]}" ] && mapfile -t COMPREPLY < <(compgen -W "${links[*]##*/}" -- "$cur") ;;
        -o|--out|--image-out|--log|--trusted-key|--key)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
        --format)
            mapfile -t COMPREPLY < <(compgen -W "bin ihex srec elf" -- "$cur") ;;
        --socket-names)
            mapfile -t COMPREPLY < <(compgen -W "port id-path" -- "$cur") ;;
        *) return 1 ;;
    esac
    return 0
}

_morlith_cli()
{
    local cur="${COMP_WORDS[COMP_CWORD]}" prev="${COMP_WORDS[COMP_CWORD-1]}" prefix=""
    local commands="connect write-app read-dseg write-dseg status run watch check info pack ports log store sign"
    local device_commands="connect write-app read-dseg write-dseg run"
    local options="--port --mcu --timeout --quiet --verbose --json --force --verify --out
                   --dseg-length --word3 --format --base --fill --piece --image-out --help --version
                   --log --wait --retries --expect-sha256 --match --existing --socket-names --since
                   --failed --summary --csv --station --operator --lot --serial --unit --store --next
                   --trusted-key --key --shared-counter --skip-if-current"
    COMPREPLY=()

    # A value after "=" (--port=COM3): bash splits the word at "=" (prev is then "="); where
    # it does not, the value is completed inside the word.
    if [ "$prev" = "=" ] && [ "$COMP_CWORD" -ge 2 ]; then
        prev="${COMP_WORDS[COMP_CWORD-2]}"
    elif [[ "$cur" == --*=* ]]; then
        prev="${cur%%=*}"
        prefix="$prev="
        cur="${cur#*=}"
    fi
    # Short options ending in one that takes a value (-qp): as after that one.
    if [[ "$prev" == -[!-]* ]] && _morlith_cli_value_follows "$prev"; then
        prev="-${prev: -1}"
    fi
    if _morlith_cli_value "$prev" "$cur"; then
        [ -n "$prefix" ] && COMPREPLY=("${COMPREPLY[@]/#/$prefix}")
        return
    fi

    # A port attached to -p: -pCOM3, -p/dev/ttyUSB0.
    if [[ "$cur" == -p?* ]]; then
        mapfile -t COMPREPLY < <(compgen -P -p -W "$(_morlith_cli_ports)" -- "${cur#-p}")
        return
    fi
    if [[ "$cur" == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi

    # The command is the first word that is neither an option nor an option's value.
    local i word command="" watched="" after=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        word="${COMP_WORDS[i]}"
        if [ "${COMP_WORDS[i+1]:-}" = "=" ]; then
            ((i += 2)) # --port = COM3: --port=COM3 as bash splits it
            continue
        fi
        case "$word" in
            -*) _morlith_cli_value_follows "$word" && ((i++)) ;;
            *) if [ -z "$command" ]; then command="$word"; else ((after++)); fi
               [ "$after" -eq 1 ] && watched="$word" ;;
        esac
    done

    case "$command" in
        "")
            mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur") ;;
        ports)
            if [ "$after" -eq 0 ]; then
                mapfile -t COMPREPLY < <(compgen -W "map unmap" -- "$cur")
            elif [ "$after" -eq 1 ]; then
                mapfile -t COMPREPLY < <(compgen -W "$(_morlith_cli_ports | grep '^COM')" -- "$cur")
            else
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            fi ;;
        store)
            if [ "$after" -eq 0 ]; then
                mapfile -t COMPREPLY < <(compgen -W "init sequence push" -- "$cur")
            elif [ "$watched" = push ]; then
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            fi ;;
        connect) ;;
        watch)
            if [ "$after" -eq 0 ]; then
                mapfile -t COMPREPLY < <(compgen -W "$device_commands" -- "$cur")
            elif [ "$watched" != connect ]; then
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            fi ;;
        *)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur") ;;
    esac
}

complete -o filenames -F _morlith_cli morlith-cli
