#compdef kelvane-cli
# zsh completion for kelvane-cli: its commands and options, directories for --drive.

_arguments -s \
  '(- *)'{-h,--help}'[print a summary of the commands and options]' \
  '(- *)--version[print the version]' \
  '--json[one JSON object on standard output]' \
  '(-q --quiet)'{-q,--quiet}'[no progress on standard error, only errors]' \
  '--duration=[test duration in milliseconds (default 3000)]:milliseconds: ' \
  '--drive=[drive for the disk benchmark]:drive:_directories' \
  '1:command:((
    info\:"what the machine is"
    cpu\:"measure the processor clock"
    flops\:"Whetstone floating-point benchmark"
    memory\:"memory bandwidth benchmark"
    disk\:"disk write benchmark"
    all\:"the four benchmarks in turn"
    bench\:"each benchmark beside an independent reference"
  ))'
