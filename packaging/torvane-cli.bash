# bash completion for torvane-cli
_torvane_cli() {
    local cur prev command
    COMPREPLY=()
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "analyze convert preview help --help --version" -- "$cur"))
        return
    fi
    command=${COMP_WORDS[1]}
    case "$prev" in
        --to) COMPREPLY=($(compgen -W "table kml ovl" -- "$cur")); return ;;
        --kml-color) COMPREPLY=($(compgen -W "yellow red magenta blue green" -- "$cur")); return ;;
        --ovl-color) COMPREPLY=($(compgen -W "red green blue yellow black white invisible magenta turquoise" -- "$cur")); return ;;
        --kml-extrude|--kml-tessellate) COMPREPLY=($(compgen -W "0 1" -- "$cur")); return ;;
        --altitude-add|--altitude-set|--kml-name|--kml-description|--ovl-width|--ovl-map-name) return ;;
        -o|--output) COMPREPLY=($(compgen -f -- "$cur")); return ;;
    esac
    if [[ "$cur" == -* ]]; then
        case "$command" in
            analyze) COMPREPLY=($(compgen -W "--summary --any-talker --verify-checksums --help" -- "$cur")) ;;
            convert) COMPREPLY=($(compgen -W "--to --decimal-comma --keep-zero-positions --altitude-add
                --altitude-set --overwrite -o --output --kml-name --kml-description --kml-color --kml-extrude
                --kml-tessellate --kml-absolute --ovl-color --ovl-width --ovl-map-name --any-talker
                --verify-checksums --igc-gnss-altitude --help" -- "$cur")) ;;
            preview) COMPREPLY=($(compgen -W "-o --output --help" -- "$cur")) ;;
        esac
        return
    fi
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -o filenames -F _torvane_cli torvane-cli
