# velto-widget.fish: fish completion for velto-widget.

set -l commands project host sample-report read options check timeline render watch clear demo help
set -l sizes xSmall small medium large xLarge xxLarge xxxLarge accessibility1 accessibility2 accessibility3 accessibility4 accessibility5
set -l store read clear project host options timeline render watch
set -l widget render watch

complete -c velto-widget -f
complete -c velto-widget -l help -d 'Show how to use it'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a project -d 'Project a raw usage report into the store'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a host -d 'Run a collector on a schedule'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a sample-report -d 'The bundled sample report, as if taken now'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a read -d 'Print the stored snapshot'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a options -d 'The agent choices a widget offers'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a check -d 'Validate a snapshot file'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a timeline -d 'The timeline a widget gets'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a render -d 'Render the entry a widget shows'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a watch -d 'Keep a widget live'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a clear -d 'Delete the stored snapshot'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a demo -d 'Draw the bundled sample as widgets'
complete -c velto-widget -n "not __fish_seen_subcommand_from $commands" -a help -d 'Show how to use a command'
complete -c velto-widget -n '__fish_seen_subcommand_from help' -a "$commands"

complete -c velto-widget -n "__fish_seen_subcommand_from $store" -l directory -xa '(__fish_complete_directories)' -d 'The folder that holds usage-v1.json'
complete -c velto-widget -n '__fish_seen_subcommand_from check project' -F
complete -c velto-widget -n '__fish_seen_subcommand_from demo' -s o -l output -xa '(__fish_complete_directories)' -d 'The folder for the pictures'
complete -c velto-widget -n '__fish_seen_subcommand_from project host' -l server -x -d 'The server the report came from'
complete -c velto-widget -n '__fish_seen_subcommand_from project sample-report timeline render' -l at -x -d 'Seconds since 1970 or ISO 8601'
complete -c velto-widget -n '__fish_seen_subcommand_from project' -l print -d 'Print the snapshot instead of storing it'
complete -c velto-widget -n '__fish_seen_subcommand_from host' -l every -x -d 'Seconds between refreshes'
complete -c velto-widget -n '__fish_seen_subcommand_from host' -l timeout -x -d 'Seconds a collector may run'
complete -c velto-widget -n '__fish_seen_subcommand_from host' -l reload-command -x -d 'A command that makes a widget host reload'
complete -c velto-widget -n '__fish_seen_subcommand_from host' -l once -d 'Refresh once, then exit'
complete -c velto-widget -n '__fish_seen_subcommand_from options render watch' -l lang -xa 'en zh' -d 'The language'
complete -c velto-widget -n '__fish_seen_subcommand_from timeline render watch' -l agent -xa 'automatic provider:' -d 'The configured value'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -l format -xa 'text accessibility png svg ansi waybar line' -d 'What to write'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -l family -xa 'small medium' -d 'The widget size'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -l text-size -xa "$sizes" -d 'The text size'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -l scheme -xa 'auto light dark' -d 'Light or dark colours'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -l scale -xa '1 2 3' -d 'Pixels per point of a picture'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -l redact -d 'Draw private content as placeholder shapes'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -l colors -xa 'auto truecolor 256 none i3blocks polybar' -d 'Terminal or bar colours'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -l template -x -d 'The text of a bar line, with placeholders'
complete -c velto-widget -n "__fish_seen_subcommand_from $widget" -s o -l output -rF -d 'Write to FILE'
