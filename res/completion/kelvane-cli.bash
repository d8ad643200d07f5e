# bash completion for kelvane-cli: its commands, the options each command takes,
# directories for --drive (on Linux a drive is a mount point) and --sysroot, files for
# --cpuid.

_kelvane_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local before=""
    ((COMP_CWORD >= 2)) && before=${COMP_WORDS[COMP_CWORD - 2]}

    # "--drive=/ho" reaches us as "--drive" "=" "/ho" where '=' breaks words, else whole.
    local prefix=""
    if [[ $prev == = ]]; then
        prev=$before
    elif [[ $cur == = ]]; then
        cur=""
    elif [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        prefix=$prev=
        cur=${cur#*=}
    fi
    case $prev in
        --drive | --sysroot)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -P "$prefix" -- "$cur")
            return
            ;;
        --cpuid)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -P "$prefix" -- "$cur")
            return
            ;;
        --duration | -d | --repeat | -r)
            COMPREPLY=()
            return
            ;;
        --threads | -t)
            mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "all" -- "$cur")
            return
            ;;
    esac

    local commands="info cpuid cpu flops memory disk all bench help"
    local command="" word i
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case " $commands " in *" $word "*) command=$word ;; esac
    done

    local options
    case $command in
        info) options="--cpuid --json --sysroot --help" ;;
        cpuid) options="--cpuid --help" ;;
        cpu) options="--duration --json --quiet --repeat --help" ;;
        flops | memory) options="--duration --json --quiet --repeat --threads --help" ;;
        all) options="--drive --duration --json --quiet --repeat --threads --help" ;;
        disk) options="--drive --duration --json --quiet --repeat --help" ;;
        bench) options="--drive --duration --json --quiet --threads --help" ;;
        help)
            # "help COMMAND": the commands once more, no options.
            mapfile -t COMPREPLY < <(compgen -W "${commands% help}" -- "$cur")
            return
            ;;
        *) options="--json --duration --drive --quiet --repeat --sysroot --cpuid --threads --version --help" ;;
    esac
    # Options already on the line are not offered again.
    local offered="" option
    for option in $options; do
        case " ${COMP_WORDS[*]:1:COMP_CWORD-1} " in *" $option "* | *" $option="*) ;; *) offered+=" $option" ;; esac
    done

    if [[ $cur == -* || -n $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$offered" -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
    fi
}
complete -F _kelvane_cli kelvane-cli
