# velto-widget-desktop.fish: fish completion for velto-widget-desktop.

complete -c velto-widget-desktop -f
complete -c velto-widget-desktop -l help -d 'Show how to use it'
complete -c velto-widget-desktop -l version -d 'Show the version'
complete -c velto-widget-desktop -l directory -xa '(__fish_complete_directories)' -d 'The folder that holds usage-v1.json'
complete -c velto-widget-desktop -l lang -xa 'en zh' -d 'The language'
complete -c velto-widget-desktop -l scheme -xa 'auto light dark' -d 'Light or dark colours'
complete -c velto-widget-desktop -l text-size -xa 'xSmall small medium large xLarge xxLarge xxxLarge accessibility1 accessibility2 accessibility3 accessibility4 accessibility5' -d 'The text size'
complete -c velto-widget-desktop -l redact -d 'Draw private content as placeholder shapes'
complete -c velto-widget-desktop -l add -xa 'small medium' -d 'Place one more widget of this size'
