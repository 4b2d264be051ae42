# velto-widget.bash: bash completion for velto-widget and velto-widget-desktop (installed under both names).

_velto_widget_sizes='xSmall small medium large xLarge xxLarge xxxLarge accessibility1 accessibility2 accessibility3 accessibility4 accessibility5'

# Completes the value of option $1, or returns 1 when it takes none that can be listed.
_velto_widget_value() {
    local cur=$2
    case $1 in
        --directory) _filedir -d ;;
        -o|--output) _filedir ;;
        --format) COMPREPLY=($(compgen -W "$3" -- "$cur")) ;;
        --family|--add) COMPREPLY=($(compgen -W 'small medium' -- "$cur")) ;;
        --lang) COMPREPLY=($(compgen -W 'en zh' -- "$cur")) ;;
        --scheme) COMPREPLY=($(compgen -W "$4" -- "$cur")) ;;
        --text-size) COMPREPLY=($(compgen -W "$_velto_widget_sizes" -- "$cur")) ;;
        --scale) COMPREPLY=($(compgen -W '1 2 3' -- "$cur")) ;;
        --colors) COMPREPLY=($(compgen -W 'auto truecolor 256 none i3blocks polybar' -- "$cur")) ;;
        --agent) COMPREPLY=($(compgen -W 'automatic provider:' -- "$cur")) ;;
        --server|--at|--every|--timeout|--reload-command|--template) ;;
        *) return 1 ;;
    esac
    return 0
}

_velto_widget() {
    local cur prev words cword
    _init_completion || return
    local commands='project host sample-report read options check timeline render watch clear demo help'
    local widget='--directory --agent --format --family --lang --text-size --scheme --scale --redact --colors --template --output'

    local command= i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} == -- ]]; then _command_offset $((i + 1)); return; fi  # the collector and its arguments
        if [[ " $commands " == *" ${words[i]} "* ]]; then command=${words[i]}; break; fi
    done

    local formats='text accessibility png svg ansi waybar line'
    _velto_widget_value "$prev" "$cur" "$formats" 'auto light dark' && return

    local options
    case $command in
        '') options='--help --version'; COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
        read|clear) options='--directory' ;;
        check) options='-'; _filedir ;;
        demo) options='--output' ;;
        project) options='--server --at --print --directory -'; _filedir ;;
        host) options='--server --every --timeout --reload-command --once --directory --' ;;
        sample-report) options='--at' ;;
        options) options='--directory --lang' ;;
        timeline) options='--directory --agent --at' ;;
        render) options="$widget --at" ;;
        watch) options=$widget ;;
        help) COMPREPLY=($(compgen -W "${commands% help}" -- "$cur")); return ;;
    esac
    [[ -n $command ]] && options+=' --help'
    if [[ $cur == -* || -z $command ]]; then COMPREPLY+=($(compgen -W "$options" -- "$cur")); fi
}

_velto_widget_desktop() {
    local cur prev words cword
    _init_completion || return
    _velto_widget_value "$prev" "$cur" '' 'auto light dark' && return
    COMPREPLY=($(compgen -W '--directory --lang --scheme --text-size --redact --add --help --version' -- "$cur"))
}

complete -F _velto_widget velto-widget
complete -F _velto_widget_desktop velto-widget-desktop
