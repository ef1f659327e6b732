# bash completion for morlith-cli: commands, options, controller numbers, the port map's COM
# names and serial devices (after -p too: -pCOM3), the commands watch runs, and file names for
# the commands' arguments.

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

_morlith_cli()
{
    local cur="${COMP_WORDS[COMP_CWORD]}" prev="${COMP_WORDS[COMP_CWORD-1]}"
    local commands="connect write-app read-dseg write-dseg watch info pack ports log"
    local device_commands="connect write-app read-dseg write-dseg"
    local options="--port --mcu --timeout --quiet --verbose --json --force --verify --out
                   --dseg-length --word3 --format --base --fill --piece --image-out --help --version
                   --log --wait --retries --expect-sha256 --match --existing --since --failed"
    COMPREPLY=()

    case "$prev" in
        -p|--port)
            mapfile -t COMPREPLY < <(compgen -W "$(_morlith_cli_ports)" -- "$cur")
            return ;;
        -m|--mcu)
            mapfile -t COMPREPLY < <(compgen -W "0 1 2 3 4" -- "$cur")
            return ;;
        --timeout|--dseg-length|--word3|--base|--fill|--piece|--wait|--retries|--expect-sha256|--since)
            return ;;
        --match)
            local links=(/dev/serial/by-id/*)
            [ -e "${links[0]}" ] && mapfile -t COMPREPLY < <(compgen -W "${links[*]##*/}" -- "$cur")
            return ;;
        -o|--out|--image-out|--log)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return ;;
        --format)
            mapfile -t COMPREPLY < <(compgen -W "bin ihex srec elf" -- "$cur")
            return ;;
    esac

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
        case "$word" in
            -p|--port|-m|--mcu|--timeout|-o|--out|--dseg-length|--word3|--format|--base|--fill|--piece|--image-out|\
            --log|--wait|--retries|--expect-sha256|--match|--since) ((i++)) ;;
            -*) ;;
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
