# bash completion for torvane-cli
# Each word offered is one line of compgen's output, so a file name with
# blanks ("my track.nmea") stays one word; word lists split at blanks.
_torvane_cli_offer() {  # _torvane_cli_offer -W WORDS -- CUR | -f -- CUR
    if [ "$1" = -W ]; then
        local words=$2
        shift 2
        local IFS=$'\n'
        COMPREPLY=($(IFS=$' \t\n' compgen -W "$words" "$@"))
    else
        local IFS=$'\n'
        COMPREPLY=($(compgen "$@"))
    fi
}
_torvane_cli() {
    local cur prev command
    COMPREPLY=()
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    if [ "$COMP_CWORD" -eq 1 ]; then
        _torvane_cli_offer -W "analyze convert preview help --help --version" -- "$cur"
        return
    fi
    command=${COMP_WORDS[1]}
    case "$prev" in
        --to) _torvane_cli_offer -W "table kml ovl gpx geojson" -- "$cur"; return ;;
        --kml-color) _torvane_cli_offer -W "yellow red magenta blue green" -- "$cur"; return ;;
        --ovl-color) _torvane_cli_offer -W "red green blue yellow black white invisible magenta turquoise" -- "$cur"; return ;;
        --kml-extrude|--kml-tessellate) _torvane_cli_offer -W "0 1" -- "$cur"; return ;;
        --altitude-add|--altitude-set|--date|--kml-name|--kml-description|--ovl-width|--ovl-map-name) return ;;
        -o|--output) _torvane_cli_offer -f -- "$cur"; return ;;
    esac
    if [[ "$cur" == -* ]]; then
        local receiver="--any-talker --any-recorder --verify-checksums --igc-gnss-altitude"
        local positions="--keep-zero-positions --fix-only --altitude-add --altitude-set --date"
        case "$command" in
            analyze) _torvane_cli_offer -W "--summary --report $receiver $positions --overwrite --help" -- "$cur" ;;
            convert) _torvane_cli_offer -W "--to --decimal-comma --report $positions --overwrite -o --output --kml-name
                --kml-description --kml-color --kml-extrude --kml-tessellate --kml-absolute --kml-time --ovl-color
                --ovl-width --ovl-map-name $receiver --help" -- "$cur" ;;
            preview) _torvane_cli_offer -W "-o --output --overwrite $receiver $positions --help" -- "$cur" ;;
        esac
        return
    fi
    _torvane_cli_offer -f -- "$cur"
}
complete -o filenames -F _torvane_cli torvane-cli
