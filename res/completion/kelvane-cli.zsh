#compdef kelvane-cli
# zsh completion for kelvane-cli: its commands and options, directories for --drive and
# --sysroot, files for --cpuid.

_arguments -s \
  '(- *)'{-h,--help}'[print a summary of the commands and options]' \
  '(- *)'{-V,--version}'[print the version]' \
  '(-j --json)'{-j,--json}'[one JSON object on standard output]' \
  '(-q --quiet)'{-q,--quiet}'[no progress on standard error, only errors]' \
  '(-d --duration)'{-d+,--duration=}'[test duration in milliseconds (default 3000)]:milliseconds: ' \
  '(-r --repeat)'{-r+,--repeat=}'[run each benchmark N times and report the spread]:times: ' \
  '--drive=[drive for the disk benchmark]:drive:_directories' \
  '--sysroot=[read a machine tree instead of this machine (info)]:tree:_directories' \
  '--cpuid=[read CPUID from a dump instead of this processor (info, cpuid)]:dump:_files' \
  '(-t --threads)'{-t+,--threads=}'[flops and memory also on N threads at once]:threads:(all 1 2 4 8 16)' \
  '1:command:((
    info\:"what the machine is"
    cpuid\:"the CPUID leaves of this processor as text"
    cpu\:"measure the processor clock"
    flops\:"Whetstone floating-point benchmark"
    memory\:"memory bandwidth benchmark"
    disk\:"disk write benchmark"
    all\:"the four benchmarks in turn"
    bench\:"each benchmark beside an independent reference"
    help\:"the usage of the tool or of one command"
  ))'
