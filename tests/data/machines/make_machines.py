#!/usr/bin/env python3
"""Writes the machine trees of this folder: for each machine the few files the Linux
sources read, in the kernel's formats (a template per file, the facts per machine), and
its processor's CPUID leaves in cpuid.txt.
Run it after changing a machine; expected.json beside each tree is kept by hand."""
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))

INTEL_FLAGS = ("fpu vme de pse tsc msr pae mce cx8 apic sep mtrr pge mca cmov pat pse36 clflush dts acpi mmx "
               "fxsr sse sse2 ss ht tm pbe syscall nx pdpe1gb rdtscp lm constant_tsc art arch_perfmon pebs bts "
               "rep_good nopl xtopology nonstop_tsc cpuid aperfmperf pni pclmulqdq dtes64 monitor ds_cpl vmx smx "
               "est tm2 ssse3 sdbg fma cx16 xtpr pdcm pcid dca sse4_1 sse4_2 x2apic movbe popcnt "
               "tsc_deadline_timer aes xsave avx f16c rdrand lahf_lm abm 3dnowprefetch cpuid_fault epb "
               "invpcid_single ssbd mba ibrs ibpb stibp ibrs_enhanced tpr_shadow flexpriority ept vpid ept_ad "
               "fsgsbase tsc_adjust bmi1 avx2 smep bmi2 erms invpcid cqm rdt_a avx512f avx512dq rdseed adx smap "
               "avx512ifma clflushopt clwb intel_pt avx512cd sha_ni avx512bw avx512vl xsaveopt xsavec xgetbv1 "
               "xsaves cqm_llc cqm_occup_llc cqm_mbm_total cqm_mbm_local split_lock_detect wbnoinvd dtherm ida "
               "arat pln pts hwp hwp_act_window hwp_epp hwp_pkg_req vnmi avx512vbmi umip pku ospke avx512_vbmi2 "
               "gfni vaes vpclmulqdq avx512_vnni avx512_bitalg tme avx512_vpopcntdq la57 rdpid fsrm md_clear "
               "pconfig flush_l1d arch_capabilities")
AMD_FLAGS = ("fpu vme de pse tsc msr pae mce cx8 apic sep mtrr pge mca cmov pat pse36 clflush mmx fxsr sse sse2 "
             "ht syscall nx mmxext fxsr_opt pdpe1gb rdtscp lm constant_tsc rep_good nopl nonstop_tsc cpuid "
             "extd_apicid aperfmperf rapl pni pclmulqdq monitor ssse3 fma cx16 pcid sse4_1 sse4_2 x2apic movbe "
             "popcnt aes xsave avx f16c rdrand lahf_lm cmp_legacy svm extapic cr8_legacy abm sse4a misalignsse "
             "3dnowprefetch osvw ibs skinit wdt tce topoext perfctr_core perfctr_nb bpext perfctr_llc mwaitx "
             "cpb cat_l3 cdp_l3 hw_pstate ssbd mba ibrs ibpb stibp vmmcall fsgsbase bmi1 avx2 smep bmi2 erms "
             "invpcid cqm rdt_a rdseed adx smap clflushopt clwb sha_ni xsaveopt xsavec xgetbv1 xsaves cqm_llc "
             "cqm_occup_llc cqm_mbm_total cqm_mbm_local clzero irperf xsaveerptr rdpru wbnoinvd amd_ppin arat "
             "npt lbrv svm_lock nrip_save tsc_scale vmcb_clean flushbyasid decodeassists pausefilter pfthreshold "
             "v_vmsave_vmload vgif v_spec_ctrl umip pku ospke vaes vpclmulqdq rdpid overflow_recov succor smca "
             "fsrm")
VM_FLAGS = ("fpu vme de pse tsc msr pae mce cx8 apic sep mtrr pge mca cmov pat pse36 clflush mmx fxsr sse sse2 "
            "ss ht syscall nx pdpe1gb rdtscp lm constant_tsc rep_good nopl xtopology nonstop_tsc cpuid "
            "tsc_known_freq pni pclmulqdq ssse3 fma cx16 pcid sse4_1 sse4_2 x2apic movbe popcnt aes xsave avx "
            "f16c rdrand hypervisor lahf_lm abm 3dnowprefetch invpcid_single ssbd ibrs ibpb stibp fsgsbase "
            "bmi1 avx2 smep bmi2 erms invpcid rdseed adx smap clflushopt xsaveopt xsavec xgetbv1 xsaves "
            "md_clear flush_l1d arch_capabilities")


def write(root, path, text):
    full = os.path.join(root, path.lstrip("/"))
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", newline="\n") as f:
        f.write(text)


def cpuinfo(cpu, logical):
    """One block per processor, numbered as the kernel numbers them: the first thread
    of every core of every socket, then the second threads."""
    sockets, cores, threads = cpu["sockets"], cpu["cores"], cpu["threads"]
    out = []
    for n in range(logical):
        thread = n // (sockets * cores)
        socket = (n // cores) % sockets
        core = n % cores
        apic = (socket << cpu.get("apic_shift", 7)) | (core << 1) | thread
        if "apic" in cpu:
            apic = cpu["apic"](socket, core, thread)
        mhz = cpu["mhz"][n % len(cpu["mhz"])]
        lines = [
            ("processor", str(n)), ("vendor_id", cpu["vendor"]), ("cpu family", str(cpu["family"])),
            ("model", str(cpu["model"])), ("model name", cpu["name"]), ("stepping", str(cpu["stepping"])),
        ]
        if "microcode" in cpu:
            lines.append(("microcode", cpu["microcode"]))
        lines += [
            ("cpu MHz", mhz), ("cache size", cpu["cache"]), ("physical id", str(socket)),
            ("siblings", str(cores * threads)), ("core id", str(cpu.get("core_ids", lambda c: c)(core))),
            ("cpu cores", str(cores)), ("apicid", str(apic)), ("initial apicid", str(apic)), ("fpu", "yes"),
            ("fpu_exception", "yes"), ("cpuid level", str(cpu["cpuid_level"])), ("wp", "yes"),
            ("flags", cpu["flags"]), ("bugs", cpu["bugs"]), ("bogomips", cpu["bogomips"]),
        ]
        if cpu["vendor"] == "AuthenticAMD":
            lines.append(("TLB size", "2560 4K pages"))
        lines += [("clflush size", "64"), ("cache_alignment", "64"), ("address sizes", cpu["address_sizes"]),
                  ("power management", cpu.get("power", ""))]
        for key, value in lines:
            # The kernel pads keys with tabs to the 8-column stop: "cpu MHz\t\t: 800.000";
            # "power management:" alone has no tab.
            if key == "power management":
                out.append(f"{key}: {value}".rstrip())
                continue
            pad = "\t" if len(key) >= 8 else "\t\t"
            out.append(f"{key}{pad}: {value}")
        out.append("")
    return "\n".join(out) + "\n"


def meminfo(total_kb, avail_kb, swap_kb=0):
    free = avail_kb * 6 // 10
    rows = [
        ("MemTotal", total_kb), ("MemFree", free), ("MemAvailable", avail_kb), ("Buffers", total_kb // 200),
        ("Cached", avail_kb * 3 // 10), ("SwapCached", 0), ("Active", total_kb // 10),
        ("Inactive", total_kb // 12), ("Active(anon)", total_kb // 30), ("Inactive(anon)", total_kb // 90),
        ("Active(file)", total_kb // 15), ("Inactive(file)", total_kb // 14), ("Unevictable", 0),
        ("Mlocked", 0), ("SwapTotal", swap_kb), ("SwapFree", swap_kb), ("Zswap", 0), ("Zswapped", 0),
        ("Dirty", 120), ("Writeback", 0), ("AnonPages", total_kb // 25), ("Mapped", total_kb // 80),
        ("Shmem", total_kb // 300), ("KReclaimable", total_kb // 60), ("Slab", total_kb // 40),
        ("SReclaimable", total_kb // 60), ("SUnreclaim", total_kb // 120), ("KernelStack", 18432),
        ("PageTables", total_kb // 500), ("SecPageTables", 0), ("NFS_Unstable", 0), ("Bounce", 0),
        ("WritebackTmp", 0), ("CommitLimit", total_kb // 2 + swap_kb), ("Committed_AS", total_kb // 7),
        ("VmallocTotal", 34359738367), ("VmallocUsed", 212000), ("VmallocChunk", 0), ("Percpu", 89600),
        ("HardwareCorrupted", 0), ("AnonHugePages", 0), ("ShmemHugePages", 0), ("ShmemPmdMapped", 0),
        ("FileHugePages", 0), ("FilePmdMapped", 0), ("Unaccepted", 0), ("HugePages_Total", None),
        ("HugePages_Free", None), ("HugePages_Rsvd", None), ("HugePages_Surp", None), ("Hugepagesize", 2048),
        ("Hugetlb", 0), ("DirectMap4k", 512000), ("DirectMap2M", 8000000), ("DirectMap1G", 0),
    ]
    out = []
    for key, value in rows:
        if value is None:
            out.append(f"{key + ':':<16}{0:>8}")
        else:
            out.append(f"{key + ':':<16}{value:>8} kB")
    return "\n".join(out) + "\n"


def mask(count, total):
    """The hex mask of processors 0..count-1, in 32-bit groups, for a kernel of `total`."""
    value = (1 << count) - 1
    groups = []
    for _ in range(max(1, (total + 31) // 32)):
        groups.append(f"{value & 0xffffffff:08x}")
        value >>= 32
    return ",".join(reversed(groups))


def status(allowed_list, allowed_count, nr_cpus):
    return f"""Name:\tkelvane-cli
Umask:\t0022
State:\tR (running)
Tgid:\t4242
Ngid:\t0
Pid:\t4242
PPid:\t4100
TracerPid:\t0
Uid:\t1000\t1000\t1000\t1000
Gid:\t1000\t1000\t1000\t1000
FDSize:\t64
Groups:\t4 24 27 1000
NStgid:\t4242
NSpid:\t4242
NSpgid:\t4242
NSsid:\t4100
Kthread:\t0
VmPeak:\t    8640 kB
VmSize:\t    8640 kB
VmLck:\t       0 kB
VmPin:\t       0 kB
VmHWM:\t    3584 kB
VmRSS:\t    3584 kB
RssAnon:\t     384 kB
RssFile:\t    3200 kB
RssShmem:\t       0 kB
VmData:\t     360 kB
VmStk:\t     132 kB
VmExe:\t     200 kB
VmLib:\t    2400 kB
VmPTE:\t      52 kB
VmSwap:\t       0 kB
HugetlbPages:\t       0 kB
CoreDumping:\t0
THP_enabled:\t1
untag_mask:\t0xffffffffffffffff
Threads:\t1
SigQ:\t0/256000
SigPnd:\t0000000000000000
ShdPnd:\t0000000000000000
SigBlk:\t0000000000000000
SigIgn:\t0000000000000000
SigCgt:\t0000000000000000
CapInh:\t0000000000000000
CapPrm:\t0000000000000000
CapEff:\t0000000000000000
CapBnd:\t000001ffffffffff
CapAmb:\t0000000000000000
NoNewPrivs:\t0
Seccomp:\t0
Seccomp_filters:\t0
Speculation_Store_Bypass:\tthread vulnerable
SpeculationIndirectBranch:\tconditional enabled
Cpus_allowed:\t{mask(allowed_count, nr_cpus)}
Cpus_allowed_list:\t{allowed_list}
Mems_allowed:\t{",".join(["00000000"] * 31 + ["00000003" if nr_cpus > 100 else "00000001"])}
Mems_allowed_list:\t{"0-1" if nr_cpus > 100 else "0"}
voluntary_ctxt_switches:\t1
nonvoluntary_ctxt_switches:\t0
"""


def os_release(pretty, name, version_id, ident):
    return (f'PRETTY_NAME="{pretty}"\nNAME="{name}"\nVERSION_ID="{version_id}"\nID={ident}\n'
            f'HOME_URL="https://example.org/{ident}"\n')


def gpu(root, card, vendor, device, boot_vga, driver, vram=None, connectors=()):
    base = f"sys/class/drm/{card}"
    write(root, f"{base}/dev", f"226:{card[4:]}\n")
    write(root, f"{base}/device/vendor", f"{vendor}\n")
    write(root, f"{base}/device/device", f"{device}\n")
    write(root, f"{base}/device/class", "0x030000\n" if boot_vga else "0x030200\n")
    write(root, f"{base}/device/boot_vga", f"{boot_vga}\n")
    write(root, f"{base}/device/driver/module/refcnt", "0\n")
    write(root, f"{base}/device/uevent", f"DRIVER={driver}\nPCI_CLASS=30000\n")
    if vram is not None:
        write(root, f"{base}/device/mem_info_vram_total", f"{vram}\n")
        write(root, f"{base}/device/mem_info_vram_used", f"{vram // 20}\n")
        write(root, f"{base}/device/mem_info_vis_vram_total", f"{min(vram, 268435456)}\n")
    for connector in connectors:
        write(root, f"sys/class/drm/{card}-{connector}/status", "connected\n")
    write(root, "sys/class/drm/version", "drm 1.1.0 20060810\n")


# A few blocks of the PCI ID database in its own format (vendors in id order, devices one
# tab in, subsystems two): a found device, a vendor whose device is missing, a subsystem
# line that looks like a device, and the device classes after the vendors.
PCI_IDS = """#
#\tList of PCI ID's (excerpt for the machine trees)
#
# Syntax:
# vendor  vendor_name
#\tdevice  device_name\t\t\t\t<-- single tab
#\t\tsubvendor subdevice  subsystem_name\t<-- two tabs

1002  Advanced Micro Devices, Inc. [AMD/ATI]
\t1636  Renoir [Radeon RX Vega 6 (Ryzen 4000/5000 Mobile Series)]
\t1681  Rembrandt [Radeon 680M]
\t\t1043 1c03  Radeon 680M
\t73ff  Navi 23 [Radeon RX 6600/6600 XT/6600M]
10de  NVIDIA Corporation
\t\t10de 2560  a subsystem, not the device
\t2684  AD102 [GeForce RTX 4090]
8086  Intel Corporation
\t46a6  Alder Lake-P GT2 [Iris Xe Graphics]
\t\t1028 0b19  Iris Xe Graphics
ffff  Illegal Vendor ID

# List of known device classes, subclasses and programming interfaces
C 03  Display controller
\t00  VGA compatible controller
"""


def pci_ids(root, path):
    write(root, path, PCI_IDS)


def cpufreq(root, base_khz=None, max_khz=None, min_khz=400000, driver="intel_pstate"):
    path = "sys/devices/system/cpu/cpu0/cpufreq"
    if base_khz:
        write(root, f"{path}/base_frequency", f"{base_khz}\n")
    write(root, f"{path}/cpuinfo_max_freq", f"{max_khz}\n")
    write(root, f"{path}/cpuinfo_min_freq", f"{min_khz}\n")
    write(root, f"{path}/scaling_cur_freq", f"{min_khz * 3}\n")
    write(root, f"{path}/scaling_driver", f"{driver}\n")


def cppc(root, nominal_mhz, lowest_mhz, highest_perf, nominal_perf):
    path = "sys/devices/system/cpu/cpu0/acpi_cppc"
    write(root, f"{path}/nominal_freq", f"{nominal_mhz}\n")
    write(root, f"{path}/lowest_freq", f"{lowest_mhz}\n")
    write(root, f"{path}/highest_perf", f"{highest_perf}\n")
    write(root, f"{path}/nominal_perf", f"{nominal_perf}\n")
    write(root, f"{path}/lowest_perf", "31\n")


def cpu_lists(root, online, possible=None):
    write(root, "sys/devices/system/cpu/online", f"{online}\n")
    write(root, "sys/devices/system/cpu/possible", f"{possible or online}\n")
    write(root, "sys/devices/system/cpu/present", f"{possible or online}\n")


def cgroup2(root, path, memory_max, memory_current):
    write(root, "proc/self/cgroup", f"0::{path}\n")
    directory = "sys/fs/cgroup" + (path if path != "/" else "")
    write(root, f"{directory}/memory.max", f"{memory_max}\n")
    write(root, f"{directory}/memory.current", f"{memory_current}\n")
    write(root, "sys/fs/cgroup/cgroup.controllers", "cpuset cpu io memory hugetlb pids rdma misc\n")


def kernel(root, release):
    write(root, "proc/sys/kernel/osrelease", f"{release}\n")
    write(root, "proc/sys/kernel/ostype", "Linux\n")


def proc_version(root, release, builder, compiler, build):
    write(root, "proc/version", f"Linux version {release} ({builder}) ({compiler}) {build}\n")


def init_process(root, cgroup, environment):
    """Process 1 as a container shows it: its control group and its NUL-separated environment."""
    write(root, "proc/1/cgroup", cgroup)
    write(root, "proc/1/environ", "".join(f"{name}={value}\0" for name, value in environment))


def mounts(root, lines):
    write(root, "proc/self/mountinfo", "\n".join(lines) + "\n")


# --- CPUID: each tree's processor as `kelvane-cli cpuid` writes it (cpuid.txt), composed
# from the vendors' documentation of the model: the feature bits by name, the caches from
# their sizes and ways.

LEAF1_EDX = dict(fpu=0, vme=1, de=2, pse=3, tsc=4, msr=5, pae=6, mce=7, cx8=8, apic=9, sep=11, mtrr=12, pge=13,
                 mca=14, cmov=15, pat=16, pse36=17, clflush=19, ds=21, acpi=22, mmx=23, fxsr=24, sse=25, sse2=26,
                 ss=27, ht=28, tm=29, pbe=31)
LEAF1_ECX = dict(sse3=0, pclmulqdq=1, dtes64=2, monitor=3, ds_cpl=4, vmx=5, smx=6, est=7, tm2=8, ssse3=9, sdbg=11,
                 fma=12, cx16=13, xtpr=14, pdcm=15, pcid=17, dca=18, sse4_1=19, sse4_2=20, x2apic=21, movbe=22,
                 popcnt=23, tsc_deadline=24, aes=25, xsave=26, osxsave=27, avx=28, f16c=29, rdrand=30, hypervisor=31)
LEAF7_EBX = dict(fsgsbase=0, tsc_adjust=1, sgx=2, bmi1=3, hle=4, avx2=5, fdp_excptn_only=6, smep=7, bmi2=8, erms=9,
                 invpcid=10, rtm=11, cqm=12, fpu_csds=13, rdt_a=15, avx512f=16, avx512dq=17, rdseed=18, adx=19,
                 smap=20, avx512ifma=21, clflushopt=23, clwb=24, intel_pt=25, avx512cd=28, sha_ni=29, avx512bw=30,
                 avx512vl=31)
LEAF7_ECX = dict(avx512vbmi=1, umip=2, pku=3, ospke=4, waitpkg=5, avx512_vbmi2=6, cet_ss=7, gfni=8, vaes=9,
                 vpclmulqdq=10, avx512_vnni=11, avx512_bitalg=12, tme=13, avx512_vpopcntdq=14, la57=16, rdpid=22,
                 movdiri=27, movdir64b=28, sgx_lc=30)
LEAF7_EDX = dict(fsrm=4, md_clear=10, serialize=14, hybrid=15, pconfig=18, arch_lbr=19, ibt=20, spec_ctrl=26,
                 stibp=27, flush_l1d=28, arch_capabilities=29, core_capabilities=30, ssbd=31)
LEAF7_1_EAX = dict(avx_vnni=4, avx512_bf16=5, hreset=22)
EXT1_ECX = dict(lahf_lm=0, cmp_legacy=1, svm=2, extapic=3, cr8_legacy=4, abm=5, sse4a=6, misalignsse=7,
                prefetchw=8, osvw=9, ibs=10, skinit=12, wdt=13, tce=17, topoext=22, perfctr_core=23, perfctr_nb=24,
                bpext=26, perfctr_llc=28, mwaitx=29, addr_mask_ext=30)
EXT1_EDX = dict(LEAF1_EDX, syscall=11, nx=20, mmxext=22, fxsr_opt=25, pdpe1gb=26, rdtscp=27, lm=29)

INTEL_EDX = ("fpu vme de pse tsc msr pae mce cx8 apic sep mtrr pge mca cmov pat pse36 clflush ds acpi mmx fxsr sse "
             "sse2 ss ht tm pbe")
INTEL_GUEST_EDX = ("fpu vme de pse tsc msr pae mce cx8 apic sep mtrr pge mca cmov pat pse36 clflush mmx fxsr sse "
                   "sse2 ss ht")
AMD_EDX = "fpu vme de pse tsc msr pae mce cx8 apic sep mtrr pge mca cmov pat pse36 clflush mmx fxsr sse sse2 ht"
AMD_EXT_EDX = ("fpu vme de pse tsc msr pae mce cx8 apic syscall mtrr pge mca cmov pat pse36 nx mmxext mmx fxsr "
               "fxsr_opt pdpe1gb rdtscp lm")
# Broadwell, Ice Lake and Comet Lake leaf 1 ECX; a guest sees less.
INTEL_ECX = ("sse3 pclmulqdq dtes64 monitor ds_cpl vmx smx est tm2 ssse3 sdbg fma cx16 xtpr pdcm pcid dca sse4_1 "
             "sse4_2 x2apic movbe popcnt tsc_deadline aes xsave osxsave avx f16c rdrand")
INTEL_GUEST_ECX = ("sse3 pclmulqdq ssse3 fma cx16 pcid sse4_1 sse4_2 x2apic movbe popcnt aes xsave osxsave avx f16c "
                   "rdrand hypervisor")
SPECULATION = "md_clear spec_ctrl stibp flush_l1d arch_capabilities ssbd"
ZEN_ECX = "sse3 pclmulqdq monitor ssse3 fma cx16 sse4_1 sse4_2 movbe popcnt aes xsave osxsave avx f16c rdrand"
ZEN3_ECX = ZEN_ECX + " pcid x2apic"
ZEN_EXT_ECX = ("lahf_lm cmp_legacy svm extapic cr8_legacy abm sse4a misalignsse prefetchw osvw ibs skinit wdt tce "
               "topoext perfctr_core perfctr_nb bpext perfctr_llc mwaitx addr_mask_ext")
ZEN2_7 = ("fsgsbase bmi1 avx2 smep bmi2 cqm rdt_a rdseed adx smap clflushopt clwb sha_ni", "umip rdpid", "")
ZEN3_7 = ("fsgsbase bmi1 avx2 smep bmi2 erms invpcid cqm rdt_a rdseed adx smap clflushopt clwb sha_ni",
          "umip pku ospke cet_ss vaes vpclmulqdq rdpid", "fsrm")
# XSAVE state (leaf 0xD sub-leaves 0 and 1): x87, SSE and AVX; with PKRU; with the AVX-512
# state too. XSAVEOPT, XSAVEC, XGETBV1 and XSAVES in sub-leaf 1.
AVX_STATE = [(0x7, 0x340, 0x340, 0), (0xF, 0x340, 0, 0)]
PKRU_STATE = [(0x207, 0x988, 0x988, 0), (0xF, 0x988, 0, 0)]
AVX512_STATE = [(0x2E7, 0xA88, 0xA88, 0), (0xF, 0xA88, 0, 0)]
BROADWELL_STATE = [(0x7, 0x340, 0x340, 0), (0x1, 0, 0, 0)]  # XSAVEOPT only
ZEN2_STATE = [(0x7, 0x340, 0x380, 0), (0xF, 0x340, 0, 0)]
def bits(table, names):
    value = 0
    for name in names.split():
        value |= 1 << table[name]
    return value


def text_words(text, count):
    """`text` as `count` little-endian words, padded with NULs."""
    data = text.encode("ascii").ljust(4 * count, b"\0")
    return [int.from_bytes(data[i:i + 4], "little") for i in range(0, 4 * count, 4)]


# Hypervisor leaves: Hyper-V to a guest (without the root partition's privileges), KVM.
HYPER_V = {(0x40000000, 0): (0x4000000B,) + tuple(text_words("Microsoft Hv", 3)),
           (0x40000001, 0): tuple(text_words("Hv#1", 4)),
           (0x40000003, 0): (0, 0x00000030, 0, 0)}  # posts messages, signals events
KVM = {(0x40000000, 0): (0x40000001,) + tuple(text_words("KVMKVMKVM", 3)),
       (0x40000001, 0): (0x01007AFB, 0, 0, 0)}


def vendor_leaf(highest, vendor):
    ebx, edx, ecx = text_words(vendor, 3)
    return (highest, ebx, ecx, edx)


def signature(family, model, stepping):
    base = min(family, 15)
    return (family - base) << 20 | (model >> 4) << 16 | base << 8 | (model & 15) << 4 | stepping


def brand_leaves(name, pad):
    """Leaves 0x80000002-4; AMD pads the string with blanks, Intel with NULs."""
    w = text_words(name.ljust(47, pad), 12)
    return {(0x80000002 + i, 0): tuple(w[4 * i:4 * i + 4]) for i in range(3)}


def cache(kind, level, kib, ways, sharing, cores=0, edx=0):
    """A deterministic cache sub-leaf (leaf 4 or 0x8000001D): kind 1 data, 2 instruction, 3
    unified; `sharing` logical processors share one; `cores` the core ids of a package (leaf 4)."""
    sets = kib * 1024 // (ways * 64)
    eax = kind | level << 5 | 1 << 8 | (sharing - 1) << 14 | (cores - 1 if cores else 0) << 26
    return (eax, (ways - 1) << 22 | 63, sets - 1, edx)


def intel_cpu(fms, highest, logical_ids, ecx, edx, leaf7, leaf7_1, caches, brand, address_bits, l2_kib, state,
              extra=None):
    """An Intel processor: `leaf7` the EBX, ECX and EDX names of leaf 7, `leaf7_1` those of
    sub-leaf 1's EAX (None: no sub-leaf 1), `caches` leaf 4's sub-leaves, `state` leaf 0xD's."""
    leaves = {
        (0, 0): vendor_leaf(highest, "GenuineIntel"),
        (1, 0): (signature(*fms), logical_ids << 16 | 0x0800, bits(LEAF1_ECX, ecx), bits(LEAF1_EDX, edx)),
        (7, 0): (0 if leaf7_1 is None else 1, bits(LEAF7_EBX, leaf7[0]), bits(LEAF7_ECX, leaf7[1]),
                 bits(LEAF7_EDX, leaf7[2])),
        (0x80000000, 0): (0x80000008, 0, 0, 0),
        (0x80000001, 0): (0, 0, bits(EXT1_ECX, "lahf_lm abm prefetchw"), bits(EXT1_EDX, "syscall nx pdpe1gb rdtscp lm")),
        # The L2 in KiB; its ways are in leaf 4.
        (0x80000006, 0): (0, 0, l2_kib << 16 | (6 if l2_kib <= 256 else 7) << 12 | 0x40, 0),
        (0x80000007, 0): (0, 0, 0, 0x100),
        (0x80000008, 0): (address_bits, 0, 0, 0),
    }
    if leaf7_1 is not None:
        leaves[(7, 1)] = (bits(LEAF7_1_EAX, leaf7_1), 0, 0, 0)
    for i, words in enumerate(caches):
        leaves[(4, i)] = words
    for i, words in enumerate(state):
        leaves[(0xD, i)] = words
    leaves.update(brand_leaves(brand, "\0"))
    leaves.update(extra or {})
    return leaves


def amd_cpu(fms, highest, highest_extended, logical, ecx, leaf7, package_type, l3_kib, l3_complex_kib,
            l3_sharing, brand, state, ext_ecx=ZEN_EXT_ECX, extra=None):
    """A Zen processor: L1d and L1i 32 KiB 8-way and L2 512 KiB 8-way per core (two threads),
    an L3 of `l3_complex_kib` 16-way shared by `l3_sharing` threads of a core complex,
    `l3_kib` in all."""
    sig = signature(*fms)
    leaves = {
        (0, 0): vendor_leaf(highest, "AuthenticAMD"),
        (1, 0): (sig, logical << 16 | 0x0800, bits(LEAF1_ECX, ecx), bits(LEAF1_EDX, AMD_EDX)),
        (7, 0): (0, bits(LEAF7_EBX, leaf7[0]), bits(LEAF7_ECX, leaf7[1]), bits(LEAF7_EDX, leaf7[2])),
        (0x80000000, 0): vendor_leaf(highest_extended, "AuthenticAMD"),
        (0x80000001, 0): (sig, package_type << 28, bits(EXT1_ECX, ext_ecx), bits(EXT1_EDX, AMD_EXT_EDX)),
        # L1 TLBs, then the L1d and L1i: 32 KiB, 8 ways, one line a tag, 64-byte lines.
        (0x80000005, 0): (0xFF40FF40, 0xFF40FF40, 0x20080140, 0x20080140),
        # L2 TLBs; the L2 in KiB, 8 ways; the L3 in 512 KiB units, its ways in 0x8000001D.
        (0x80000006, 0): (0x48002200, 0x68004200, 512 << 16 | 0x6140, (l3_kib // 512) << 18 | 0x9140),
        (0x80000007, 0): (0, 0, 0, 0x6799),
        (0x80000008, 0): (0x3030, 0, max(1, (logical - 1).bit_length()) << 12 | (logical - 1), 0),
    }
    caches = [cache(1, 1, 32, 8, 2), cache(2, 1, 32, 8, 2), cache(3, 2, 512, 8, 2, edx=2),
              cache(3, 3, l3_complex_kib, 16, l3_sharing, edx=1), (0, 0, 0, 0)]
    for i, words in enumerate(caches):
        leaves[(0x8000001D, i)] = words
    for i, words in enumerate(state):
        leaves[(0xD, i)] = words
    leaves.update(brand_leaves(brand, " "))
    leaves.update(extra or {})
    return leaves


SUBLEAF_LEAVES = {4, 7, 0xB, 0xD, 0xF, 0x10, 0x12, 0x14, 0x17, 0x18, 0x1D, 0x1F, 0x24, 0x8000001D, 0x80000020,
                  0x80000026}


def cpuid_dump(root, leaves, xcr0, note):
    """tree/cpuid.txt in the text form, the composed leaves only (the others read as zeros),
    then XCR0."""
    lines = [f"# {line}" for line in note.strip().splitlines()]
    for (leaf, subleaf), words in sorted(leaves.items()):
        line = "CPUID %08X: %08X-%08X-%08X-%08X" % ((leaf,) + tuple(words))
        if leaf in SUBLEAF_LEAVES:
            line += " [SL %02X]" % subleaf
        lines.append(line)
    lines.append("XCR0: %016X" % xcr0)
    write(root, "cpuid.txt", "\n".join(lines) + "\n")


def alder_lake_p(brand, l3_kib):
    """Alder Lake-P (hybrid) as a performance core reports it: AVX-VNNI, SHA, GFNI, VAES; no
    AVX-512 (the efficiency cores lack it); leaf 4 the performance core's caches."""
    return intel_cpu(
        (6, 0x9A, 3), 0x20, 128, INTEL_ECX.replace(" dca", ""), INTEL_EDX,
        ("fsgsbase tsc_adjust bmi1 avx2 smep bmi2 erms invpcid fpu_csds rdseed adx smap clflushopt clwb intel_pt "
         "sha_ni", "umip waitpkg cet_ss gfni vaes vpclmulqdq rdpid movdiri movdir64b",
         "fsrm serialize hybrid ibt core_capabilities " + SPECULATION), "avx_vnni hreset",
        [cache(1, 1, 48, 12, 2, 64), cache(2, 1, 32, 8, 2, 64), cache(3, 2, 1280, 10, 2, 64),
         cache(3, 3, l3_kib, 12, 128, 64, edx=4), (0, 0, 0, 0)],
        brand, 0x3027, 1280, AVX_STATE, extra={(0x1A, 0): (0x40000000, 0, 0, 0)})  # a performance core


ALDER_LAKE_NOTE = """
Intel Core %s (Alder Lake-P), family 6 model 0x9A stepping 3, bare metal, as its first
processor, a performance core, reports it; composed from Intel's documentation of the model.
"""


def topology(root, cores_of, packages_of):
    """The kernel's topology lists, for the first processor of each core and package: the
    reader takes a list's other members from it."""
    for cpu, members in cores_of:
        write(root, f"sys/devices/system/cpu/cpu{cpu}/topology/core_cpus_list", members + "\n")
    for cpu, members in packages_of:
        write(root, f"sys/devices/system/cpu/cpu{cpu}/topology/package_cpus_list", members + "\n")


def uniform_topology(root, sockets, cores, threads):
    """As cpuinfo() numbers the processors: the first threads of every core, then the second."""
    span = sockets * cores

    def listed(numbers):
        return ",".join(str(n) for n in numbers)

    topology(root,
             [(n, listed(n + t * span for t in range(threads))) for n in range(span)],
             [(s * cores, listed(t * span + s * cores + c for t in range(threads) for c in range(cores)))
              for s in range(sockets)])


def hybrid_topology(root, performance_cores, efficiency_cores):
    """A hybrid: the performance cores' two threads side by side first, then the efficiency
    cores, one thread each."""
    first_efficiency = 2 * performance_cores
    last = first_efficiency + efficiency_cores - 1
    topology(root,
             [(2 * c, f"{2 * c}-{2 * c + 1}") for c in range(performance_cores)] +
             [(n, str(n)) for n in range(first_efficiency, last + 1)],
             [(0, f"0-{last}")])
    write(root, "sys/devices/cpu_core/cpus", f"0-{first_efficiency - 1}\n")
    write(root, "sys/devices/cpu_atom/cpus", f"{first_efficiency}-{last}\n")


SERVER_MOUNTS = [
    "22 1 253:0 / / rw,relatime shared:1 - xfs /dev/mapper/rhel-root rw,seclabel,attr2,inode64,logbufs=8,logbsize=32k,noquota",
    "23 22 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw,seclabel",
    "24 22 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:25 - proc proc rw",
    "25 22 0:5 / /dev rw,nosuid shared:21 - devtmpfs devtmpfs rw,seclabel,size=4096k,nr_inodes=65891327,mode=755",
    "26 25 0:23 / /dev/shm rw,nosuid,nodev shared:22 - tmpfs tmpfs rw,seclabel",
    "28 22 0:25 / /run rw,nosuid,nodev shared:24 - tmpfs tmpfs rw,seclabel,size=105418940k,nr_inodes=819200,mode=755",
    "29 23 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:4 - cgroup2 cgroup2 rw,seclabel,nsdelegate,memory_recursiveprot",
    "45 22 259:1 / /boot rw,relatime shared:28 - xfs /dev/nvme0n1p1 rw,seclabel,attr2,inode64,logbufs=8,logbsize=32k,noquota",
    "46 22 253:2 / /home rw,relatime shared:29 - xfs /dev/mapper/rhel-home rw,seclabel,attr2,inode64,logbufs=8,logbsize=32k,noquota",
    "47 22 253:3 / /var/lib/pgsql rw,relatime shared:30 - xfs /dev/mapper/data-pgsql rw,seclabel,attr2,inode64,logbufs=8,logbsize=32k,sunit=512,swidth=2048,noquota",
    "48 22 0:42 / /scratch rw,relatime shared:31 - nfs4 storage01:/scratch rw,vers=4.2,rsize=1048576,wsize=1048576,namlen=255,hard,proto=tcp,timeo=600,retrans=2,sec=sys,clientaddr=10.1.0.21,local_lock=none,addr=10.1.0.5",
    "49 22 0:43 / /var/lib/nfs/rpc_pipefs rw,relatime shared:32 - rpc_pipefs sunrpc rw",
]


def two_socket_server(root):
    cpu = dict(vendor="GenuineIntel", family=6, model=106, stepping=6, microcode="0xd0003b9",
               name="Intel(R) Xeon(R) Platinum 8380 CPU @ 2.30GHz", mhz=["800.000", "2300.000", "3400.012"],
               cache="61440 KB", sockets=2, cores=40, threads=2, cpuid_level=27, flags=INTEL_FLAGS,
               bugs="spectre_v1 spectre_v2 spec_store_bypass swapgs mmio_stale_data eibrs_pbrsb gds bhi",
               bogomips="4600.00", address_sizes="46 bits physical, 57 bits virtual")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 160))
    write(root, "proc/meminfo", meminfo(527952512, 498002304, 4194300))
    write(root, "proc/self/status", status("0-159", 160, 160))
    cgroup2(root, "/user.slice/user-1000.slice/session-3.scope", "max", 8388608)
    write(root, "sys/fs/cgroup/user.slice/memory.max", "max\n")
    cpu_lists(root, "0-159")
    cpufreq(root, base_khz=2300000, max_khz=3400000, min_khz=800000)
    kernel(root, "5.14.0-427.13.1.el9_4.x86_64")
    write(root, "etc/os-release", os_release("Red Hat Enterprise Linux 9.4 (Plow)", "Red Hat Enterprise Linux",
                                             "9.4", "rhel"))
    gpu(root, "card0", "0x102b", "0x0536", 1, "mgag200", connectors=("VGA-1",))
    mounts(root, SERVER_MOUNTS)
    uniform_topology(root, 2, 40, 2)
    cpuid_dump(root, intel_cpu(
        (6, 0x6A, 6), 0x1B, 128, INTEL_ECX, INTEL_EDX,
        ("fsgsbase tsc_adjust sgx bmi1 avx2 fdp_excptn_only smep bmi2 erms invpcid cqm fpu_csds rdt_a avx512f "
         "avx512dq rdseed adx smap avx512ifma clflushopt clwb intel_pt avx512cd sha_ni avx512bw avx512vl",
         "avx512vbmi umip pku ospke avx512_vbmi2 gfni vaes vpclmulqdq avx512_vnni avx512_bitalg tme "
         "avx512_vpopcntdq la57 rdpid sgx_lc",
         "fsrm pconfig core_capabilities " + SPECULATION), None,
        [cache(1, 1, 48, 12, 2, 64), cache(2, 1, 32, 8, 2, 64), cache(3, 2, 1280, 20, 2, 64),
         cache(3, 3, 61440, 12, 128, 64, edx=4), (0, 0, 0, 0)],
        "Intel(R) Xeon(R) Platinum 8380 CPU @ 2.30GHz", 0x392E, 1280, AVX512_STATE), 0x2E7, """
Intel Xeon Platinum 8380 (Ice Lake-SP), family 6 model 0x6A stepping 6, bare metal; composed from
Intel's documentation of the model. AVX-512 with IFMA, VBMI, VBMI2, VNNI, BITALG and VPOPCNTDQ,
GFNI, VAES, SHA. L1d 48 KiB, L1i 32 KiB, L2 1.25 MiB per core, L3 60 MiB per package.
""")


def amd_96_server(root):
    cpu = dict(vendor="AuthenticAMD", family=25, model=1, stepping=1, microcode="0xa0011d1",
               apic=lambda socket, core, thread: ((core // 6) * 8 + core % 6) << 1 | thread,
               name="AMD EPYC 7643 48-Core Processor", mhz=["1500.000", "2300.000", "3599.941"],
               cache="512 KB", sockets=1, cores=48, threads=2, cpuid_level=16, flags=AMD_FLAGS,
               bugs="sysret_ss_attrs spectre_v1 spectre_v2 spec_store_bypass srso", bogomips="4591.47",
               address_sizes="48 bits physical, 48 bits virtual", power="ts ttp tm hwpstate cpb eff_freq_ro [13] [14]")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 96))
    write(root, "proc/meminfo", meminfo(263698620, 251200112, 0))
    write(root, "proc/self/status", status("0-95", 96, 96))
    cgroup2(root, "/system.slice/kelvane.service", "max", 2097152)
    cpu_lists(root, "0-95")
    cppc(root, 2300, 1500, 216, 166)
    cpufreq(root, max_khz=2300000, min_khz=1500000, driver="acpi-cpufreq")
    kernel(root, "6.8.0-45-generic")
    write(root, "etc/os-release", os_release("Ubuntu 24.04.1 LTS", "Ubuntu", "24.04", "ubuntu"))
    gpu(root, "card0", "0x1a03", "0x2000", 1, "ast", connectors=("VGA-1",))
    mounts(root, [
        "25 1 259:2 / / rw,relatime shared:1 - ext4 /dev/md0 rw,stripe=256",
        "26 25 0:23 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw",
        "27 25 0:24 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw",
        "28 25 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=131780592k,nr_inodes=32945148,mode=755",
        "30 25 0:26 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=26369864k,mode=755",
        "60 25 259:1 / /boot/efi rw,relatime shared:30 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077",
        "61 25 259:7 / /data rw,noatime shared:31 - xfs /dev/nvme2n1 rw,attr2,inode64,logbufs=8,logbsize=32k,noquota",
        "62 25 7:1 / /snap/lxd/29351 ro,nodev,relatime shared:32 - squashfs /dev/loop1 ro,errors=continue,threads=single",
        "63 25 0:45 / /var/lib/lxcfs rw,nosuid,nodev,relatime shared:33 - fuse.lxcfs lxcfs rw,user_id=0,group_id=0,allow_other",
        "64 25 0:46 / /mnt/archive rw,relatime shared:34 - ceph 10.2.0.1:6789,10.2.0.2:6789:/archive rw,name=backup,secret=<hidden>,acl",
    ])
    uniform_topology(root, 1, 48, 2)
    cpuid_dump(root, amd_cpu((25, 1, 1), 0x10, 0x80000021, 96, ZEN3_ECX, ZEN3_7, 4, 262144, 32768, 12,
                             "AMD EPYC 7643 48-Core Processor", PKRU_STATE), 0x207, """
AMD EPYC 7643 (Zen 3, "Milan"), family 0x19 model 1 stepping 1, bare metal; composed from AMD's
documentation of the model. AVX2, SHA, VAES, SSE4a; no AVX-512. Eight core complexes of six
cores, each with 32 MiB of L3 (APIC IDs leave room for eight cores a complex).
""")


def hybrid_laptop(root):
    cpu = dict(vendor="GenuineIntel", family=6, model=154, stepping=3, microcode="0x432",
               name="12th Gen Intel(R) Core(TM) i7-1260P", mhz=["400.000", "2688.305", "1200.000"],
               cache="18432 KB", sockets=1, cores=12, threads=1, cpuid_level=32,
               flags=" ".join(f for f in INTEL_FLAGS.replace(" hwp ", " hwp hfi ").split()
                             if not f.startswith("avx512") and f not in ("la57", "tme", "pconfig")),
               bugs="spectre_v1 spectre_v2 spec_store_bypass swapgs eibrs_pbrsb rfds bhi",
               bogomips="4992.00", address_sizes="39 bits physical, 48 bits virtual")
    # 4 performance cores with two threads each (0-7), then 8 efficiency cores (8-15).
    text = cpuinfo(dict(cpu, cores=16), 16)
    write(root, "proc/cpuinfo", text.replace("siblings\t: 16", "siblings\t: 16").replace("cpu cores\t: 16", "cpu cores\t: 12"))
    write(root, "proc/meminfo", meminfo(15994292, 11210000, 8388604))
    write(root, "proc/self/status", status("0-15", 16, 16))
    cgroup2(root, "/user.slice/user-1000.slice/user@1000.service/app.slice/app-org.gnome.Terminal.slice/vte-spawn-1.scope",
            "max", 4096)
    cpu_lists(root, "0-15")
    write(root, "sys/devices/cpu_core/type", "4\n")
    write(root, "sys/devices/cpu_atom/type", "10\n")
    cpufreq(root, base_khz=2100000, max_khz=4700000)
    kernel(root, "6.10.10-arch1-1")
    write(root, "etc/os-release", 'NAME="Arch Linux"\nPRETTY_NAME="Arch Linux"\nID=arch\nBUILD_ID=rolling\n')
    gpu(root, "card1", "0x8086", "0x46a6", 1, "i915", connectors=("eDP-1", "DP-1", "HDMI-A-1"))
    pci_ids(root, "usr/share/hwdata/pci.ids")
    mounts(root, [
        "22 1 259:2 / / rw,noatime shared:1 - ext4 /dev/nvme0n1p2 rw",
        "23 22 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:5 - proc proc rw",
        "24 22 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:6 - sysfs sysfs rw",
        "25 22 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs dev rw,size=7982116k,nr_inodes=1995529,mode=755",
        "29 22 0:25 / /run rw,nosuid,nodev,relatime shared:12 - tmpfs run rw,mode=755",
        "40 22 259:1 / /boot rw,relatime shared:30 - vfat /dev/nvme0n1p1 rw,fmask=0022,dmask=0022,codepage=437,iocharset=ascii,shortname=mixed,utf8,errors=remount-ro",
        "41 22 0:36 / /tmp rw,nosuid,nodev shared:31 - tmpfs tmpfs rw,size=7997148k,nr_inodes=1048576",
        "300 29 0:50 / /run/user/1000 rw,nosuid,nodev,relatime shared:300 - tmpfs tmpfs rw,size=1599428k,mode=700,uid=1000,gid=1000",
        "310 300 0:51 / /run/user/1000/doc rw,nosuid,nodev,relatime shared:310 - fuse.portal portal rw,user_id=1000,group_id=1000",
        "320 29 179:1 / /run/media/mira/CAMERA rw,nosuid,nodev,relatime shared:320 - exfat /dev/mmcblk0p1 rw,uid=1000,gid=1000,fmask=0022,dmask=0022,iocharset=utf8,errors=remount-ro",
    ])
    hybrid_topology(root, 4, 8)
    cpuid_dump(root, alder_lake_p("12th Gen Intel(R) Core(TM) i7-1260P", 18432), 0x7, ALDER_LAKE_NOTE % "i7-1260P")


def container(root):
    cpu = dict(vendor="AuthenticAMD", family=25, model=1, stepping=1, microcode="0xa0011d1",
               name="AMD EPYC 7543 32-Core Processor", mhz=["2800.000", "1500.000"], cache="512 KB",
               sockets=1, cores=32, threads=2, cpuid_level=16, flags=AMD_FLAGS,
               bugs="sysret_ss_attrs spectre_v1 spectre_v2 spec_store_bypass srso", bogomips="5589.65",
               address_sizes="48 bits physical, 48 bits virtual", power="ts ttp tm hwpstate cpb eff_freq_ro [13] [14]")
    # The host's files, seen from inside: all 64 processors and all the memory.
    write(root, "proc/cpuinfo", cpuinfo(cpu, 64))
    write(root, "proc/meminfo", meminfo(263698620, 240000000, 0))
    # docker run --cpuset-cpus=4-5 --memory=2g: the cgroup namespace makes it "/".
    write(root, "proc/self/status", status("4-5", 2, 64).replace("Cpus_allowed:\t" + mask(2, 64), "Cpus_allowed:\t00000000,00000030"))
    cgroup2(root, "/", 2147483648, 53248000)
    write(root, "sys/fs/cgroup/cpuset.cpus.effective", "4-5\n")
    write(root, "sys/fs/cgroup/cpu.max", "max 100000\n")
    cpu_lists(root, "0-63")
    cppc(root, 2800, 1500, 196, 166)
    cpufreq(root, max_khz=2800000, min_khz=1500000, driver="acpi-cpufreq")
    kernel(root, "6.1.0-25-amd64")
    write(root, "etc/os-release", os_release("Debian GNU/Linux 12 (bookworm)", "Debian GNU/Linux", "12", "debian"))
    with open(os.path.join(HERE, "..", "linux", "mountinfo", "docker-container.txt")) as f:
        write(root, "proc/self/mountinfo", f.read())
    # Docker's marker file; it sets no container= variable.
    write(root, ".dockerenv", "")
    proc_version(root, "6.1.0-25-amd64", "debian-kernel@lists.debian.org", "gcc-12 (Debian 12.2.0-14) 12.2.0",
                 "#1 SMP PREEMPT_DYNAMIC Debian 6.1.106-3 (2024-08-26)")
    init_process(root, "0::/\n", [("PATH", "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"),
                                  ("HOSTNAME", "3f1c2a9d0e5b"), ("HOME", "/root")])
    uniform_topology(root, 1, 32, 2)
    cpuid_dump(root, amd_cpu((25, 1, 1), 0x10, 0x80000021, 64, ZEN3_ECX, ZEN3_7, 4, 262144, 32768, 8,
                             "AMD EPYC 7543 32-Core Processor", PKRU_STATE), 0x207, """
AMD EPYC 7543 (Zen 3, "Milan"), family 0x19 model 1 stepping 1, the container's host; composed
from AMD's documentation of the model. Eight core complexes of four cores, 32 MiB of L3 each.
""")


def cgroup1_host(root):
    cpu = dict(vendor="GenuineIntel", family=6, model=79, stepping=1, microcode="0xb000040",
               name="Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz", mhz=["1200.036", "2899.951"], cache="35840 KB",
               sockets=1, cores=14, threads=2, cpuid_level=20,
               flags=INTEL_FLAGS.split(" avx512f")[0], bugs="cpu_meltdown spectre_v1 spectre_v2 spec_store_bypass l1tf mds swapgs taa itlb_multihit mmio_stale_data",
               bogomips="4788.89", address_sizes="46 bits physical, 48 bits virtual")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 28))
    write(root, "proc/meminfo", meminfo(65759040, 60100000, 8388604))
    write(root, "proc/self/status", status("0-27", 28, 28))
    write(root, "proc/self/cgroup", "\n".join([
        "11:cpuset:/", "10:memory:/user.slice/batch", "9:devices:/user.slice", "8:blkio:/user.slice",
        "7:net_cls,net_prio:/", "6:freezer:/", "5:hugetlb:/", "4:pids:/user.slice/user-1000.slice",
        "3:cpu,cpuacct:/user.slice", "2:perf_event:/", "1:name=systemd:/user.slice/user-1000.slice/session-12.scope",
    ]) + "\n")
    v1 = "sys/fs/cgroup/memory"
    write(root, f"{v1}/memory.limit_in_bytes", "9223372036854771712\n")
    write(root, f"{v1}/memory.usage_in_bytes", "21474836480\n")
    write(root, f"{v1}/user.slice/memory.limit_in_bytes", "9223372036854771712\n")
    write(root, f"{v1}/user.slice/memory.usage_in_bytes", "8589934592\n")
    write(root, f"{v1}/user.slice/batch/memory.limit_in_bytes", "12884901888\n")
    write(root, f"{v1}/user.slice/batch/memory.usage_in_bytes", "1073741824\n")
    cpu_lists(root, "0-27")
    cpufreq(root, max_khz=3300000, min_khz=1200000, driver="intel_pstate")
    kernel(root, "3.10.0-1160.119.1.el7.x86_64")
    write(root, "etc/os-release", os_release("CentOS Linux 7 (Core)", "CentOS Linux", "7", "centos"))
    gpu(root, "card0", "0x102b", "0x0534", 1, "mgag200", connectors=("VGA-1",))
    uniform_topology(root, 1, 14, 2)
    cpuid_dump(root, intel_cpu(
        (6, 0x4F, 1), 0x14, 32, INTEL_ECX, INTEL_EDX,
        ("fsgsbase tsc_adjust bmi1 hle avx2 smep bmi2 erms invpcid rtm cqm fpu_csds rdt_a rdseed adx smap "
         "intel_pt", "", "md_clear spec_ctrl stibp flush_l1d ssbd"), None,
        [cache(1, 1, 32, 8, 2, 16), cache(2, 1, 32, 8, 2, 16), cache(3, 2, 256, 8, 2, 16),
         cache(3, 3, 35840, 20, 32, 16, edx=6), (0, 0, 0, 0)],
        "Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz", 0x302E, 256, BROADWELL_STATE), 0x7, """
Intel Xeon E5-2680 v4 (Broadwell-EP), family 6 model 0x4F stepping 1, bare metal; composed from
Intel's documentation of the model. AVX2, FMA3, BMI1/2, TSX; no SHA, no AVX-512. L3 35 MiB.
""")
    mounts(root, [
        "18 41 0:17 / /sys rw,nosuid,nodev,noexec,relatime shared:6 - sysfs sysfs rw",
        "19 41 0:3 / /proc rw,nosuid,nodev,noexec,relatime shared:5 - proc proc rw",
        "20 41 0:5 / /dev rw,nosuid shared:2 - devtmpfs devtmpfs rw,size=32864636k,nr_inodes=8216159,mode=755",
        "24 18 0:20 / /sys/fs/cgroup ro,nosuid,nodev,noexec shared:8 - tmpfs tmpfs ro,mode=755",
        "33 24 0:29 / /sys/fs/cgroup/memory rw,nosuid,nodev,noexec,relatime shared:16 - cgroup cgroup rw,memory",
        "41 1 253:0 / / rw,relatime shared:1 - xfs /dev/mapper/centos-root rw,attr2,inode64,noquota",
        "42 41 8:1 / /boot rw,relatime shared:27 - xfs /dev/sda1 rw,attr2,inode64,noquota",
        "43 41 253:2 / /home rw,relatime shared:28 - xfs /dev/mapper/centos-home rw,attr2,inode64,noquota",
        "44 41 0:38 / /mnt/share rw,relatime shared:29 - cifs //winsrv/projects rw,vers=2.1,cache=strict,username=svc,domain=CORP,uid=0,noforceuid,gid=0,noforcegid,addr=10.3.0.8",
    ])


def nvme_desktop(root):
    cpu = dict(vendor="AuthenticAMD", family=25, model=33, stepping=0, microcode="0xa20120e",
               name="AMD Ryzen 7 5800X 8-Core Processor", mhz=["3800.000", "2200.000", "4850.123"], cache="512 KB",
               sockets=1, cores=8, threads=2, cpuid_level=16, flags=AMD_FLAGS,
               bugs="sysret_ss_attrs spectre_v1 spectre_v2 spec_store_bypass srso", bogomips="7600.30",
               address_sizes="48 bits physical, 48 bits virtual", power="ts ttp tm hwpstate cpb eff_freq_ro [13] [14]")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 16))
    write(root, "proc/meminfo", meminfo(32792548, 27011204, 2097148))
    write(root, "proc/self/status", status("0-15", 16, 16))
    cgroup2(root, "/user.slice/user-1000.slice/session-2.scope", "max", 1024000)
    cpu_lists(root, "0-15")
    cppc(root, 3800, 550, 166, 120)
    cpufreq(root, max_khz=4850000, min_khz=550000, driver="amd-pstate-epp")
    kernel(root, "6.9.12-200.fc40.x86_64")
    write(root, "etc/os-release", os_release("Fedora Linux 40 (Workstation Edition)", "Fedora Linux", "40", "fedora"))
    gpu(root, "card1", "0x1002", "0x73ff", 1, "amdgpu", vram=8573157376, connectors=("DP-1", "DP-2", "HDMI-A-1"))
    with open(os.path.join(HERE, "..", "linux", "mountinfo", "btrfs-fedora.txt")) as f:
        base = f.read().replace("/dev/nvme0n1p3", "/dev/nvme0n1p3")
    extra = [
        "700 98 0:70 / /home/anna/build rw,nosuid,nodev,relatime shared:400 - fuse.sshfs anna@buildhost:/srv/build rw,user_id=1000,group_id=1000",
        "701 64 0:71 / /mnt/nas rw,relatime shared:401 - nfs4 nas.lan:/volume1/home rw,vers=4.1,rsize=131072,wsize=131072,namlen=255,hard,proto=tcp,timeo=600,retrans=2,sec=sys,clientaddr=192.168.1.20,local_lock=none,addr=192.168.1.5",
    ]
    write(root, "proc/self/mountinfo", base + "\n".join(extra) + "\n")
    uniform_topology(root, 1, 8, 2)
    cpuid_dump(root, amd_cpu((25, 0x21, 0), 0x10, 0x80000021, 16, ZEN3_ECX, ZEN3_7, 2, 32768, 32768, 16,
                             "AMD Ryzen 7 5800X 8-Core Processor", PKRU_STATE), 0x207, """
AMD Ryzen 7 5800X (Zen 3, "Vermeer"), family 0x19 model 0x21 stepping 0, bare metal; composed
from AMD's documentation of the model. One core complex of eight cores, 32 MiB of L3.
""")


def dual_gpu_laptop(root):
    cpu = dict(vendor="AuthenticAMD", family=25, model=68, stepping=1, microcode="0xa404102",
               name="AMD Ryzen 7 6800H with Radeon Graphics", mhz=["1600.000", "3200.000", "4785.000"],
               cache="512 KB", sockets=1, cores=8, threads=2, cpuid_level=16, flags=AMD_FLAGS,
               bugs="sysret_ss_attrs spectre_v1 spectre_v2 spec_store_bypass srso", bogomips="6387.88",
               address_sizes="48 bits physical, 48 bits virtual", power="ts ttp tm hwpstate cpb eff_freq_ro [13] [14]")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 16))
    write(root, "proc/meminfo", meminfo(15609364, 11000000, 16777212))
    write(root, "proc/self/status", status("0-15", 16, 16))
    cgroup2(root, "/user.slice/user-1000.slice/session-2.scope", "max", 1024000)
    cpu_lists(root, "0-15")
    cppc(root, 3200, 400, 196, 166)
    cpufreq(root, max_khz=4785000, min_khz=400000, driver="amd-pstate-epp")
    kernel(root, "6.8.0-47-generic")
    write(root, "etc/os-release", os_release("Ubuntu 24.04.1 LTS", "Ubuntu", "24.04", "ubuntu"))
    # The APU drives the panel; the discrete card renders on demand.
    gpu(root, "card1", "0x1002", "0x1681", 1, "amdgpu", vram=536870912, connectors=("eDP-1", "HDMI-A-1"))
    gpu(root, "card0", "0x10de", "0x2560", 0, "nvidia")
    pci_ids(root, "usr/share/misc/pci.ids")
    mounts(root, [
        "24 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro",
        "25 24 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw",
        "26 24 0:23 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw",
        "27 24 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=7761316k,nr_inodes=1940329,mode=755",
        "29 24 0:25 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1560940k,mode=755",
        "45 24 7:0 / /snap/bare/5 ro,nodev,relatime shared:25 - squashfs /dev/loop0 ro,errors=continue,threads=single",
        "46 24 7:1 / /snap/core22/1612 ro,nodev,relatime shared:26 - squashfs /dev/loop1 ro,errors=continue,threads=single",
        "47 24 7:2 / /snap/firefox/4955 ro,nodev,relatime shared:27 - squashfs /dev/loop2 ro,errors=continue,threads=single",
        "60 24 259:1 / /boot/efi rw,relatime shared:31 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077,codepage=437,iocharset=iso8859-1,shortname=mixed,errors=remount-ro",
        "500 24 8:1 / /media/ravi/KINGSTON rw,nosuid,nodev,relatime shared:300 - vfat /dev/sda1 rw,uid=1000,gid=1000,fmask=0022,dmask=0022,codepage=437,iocharset=iso8859-1,shortname=mixed,showexec,utf8,flush,errors=remount-ro",
    ])
    uniform_topology(root, 1, 8, 2)
    cpuid_dump(root, amd_cpu((25, 0x44, 1), 0x10, 0x80000021, 16, ZEN3_ECX, ZEN3_7, 0, 16384, 16384, 16,
                             "AMD Ryzen 7 6800H with Radeon Graphics", PKRU_STATE), 0x207, """
AMD Ryzen 7 6800H (Zen 3+, "Rembrandt"), family 0x19 model 0x44 stepping 1, bare metal; composed
from AMD's documentation of the model. One core complex of eight cores, 16 MiB of L3.
""")


def wsl2(root):
    cpu = dict(vendor="GenuineIntel", family=6, model=165, stepping=2, microcode="0xffffffff",
               name="Intel(R) Core(TM) i7-10750H CPU @ 2.60GHz", mhz=["2592.002"], cache="12288 KB",
               sockets=1, cores=6, threads=2, cpuid_level=22, flags=VM_FLAGS,
               bugs="spectre_v1 spectre_v2 spec_store_bypass swapgs itlb_multihit srbds mmio_stale_data retbleed eibrs_pbrsb gds",
               bogomips="5184.00", address_sizes="39 bits physical, 48 bits virtual")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 12))
    write(root, "proc/meminfo", meminfo(8029440, 7300000, 2097152))
    write(root, "proc/self/status", status("0-11", 12, 12))
    cgroup2(root, "/", "max", 300000000)
    cpu_lists(root, "0-11")
    kernel(root, "5.15.153.1-microsoft-standard-WSL2")
    write(root, "etc/os-release", os_release("Ubuntu 22.04.4 LTS", "Ubuntu", "22.04", "ubuntu"))
    with open(os.path.join(HERE, "..", "linux", "mountinfo", "wsl2.txt")) as f:
        write(root, "proc/self/mountinfo", f.read())
    proc_version(root, "5.15.153.1-microsoft-standard-WSL2", "root@941d701f84f1",
                 "gcc (GCC) 11.2.0, GNU ld (GNU Binutils) 2.37", "#1 SMP Fri Mar 29 23:14:13 UTC 2024")
    # WSL's handler that starts Windows programs from Linux.
    write(root, "proc/sys/fs/binfmt_misc/WSLInterop", "enabled\ninterpreter /init\nflags: PF\noffset 0\nmagic 4d5a\n")
    init_process(root, "0::/init.scope\n", [("HOME", "/"), ("TERM", "linux")])
    uniform_topology(root, 1, 6, 2)
    cpuid_dump(root, intel_cpu(
        (6, 0xA5, 2), 0x16, 16, INTEL_GUEST_ECX, INTEL_GUEST_EDX,
        ("fsgsbase bmi1 avx2 smep bmi2 erms invpcid rdseed adx smap clflushopt", "", SPECULATION), None,
        [cache(1, 1, 32, 8, 2, 8), cache(2, 1, 32, 8, 2, 8), cache(3, 2, 256, 4, 2, 8),
         cache(3, 3, 12288, 16, 16, 8, edx=6), (0, 0, 0, 0)],
        "Intel(R) Core(TM) i7-10750H CPU @ 2.60GHz", 0x3027, 256, AVX_STATE, extra=HYPER_V), 0x7, """
Intel Core i7-10750H (Comet Lake-H), family 6 model 0xA5 stepping 2, as WSL 2's Hyper-V guest
sees it: the hypervisor bit and "Microsoft Hv", no VMX, the host's caches. Composed from Intel's
documentation of the model: AVX2, FMA3, AES-NI; no SHA, no AVX-512.
""")


def podman_rootless(root):
    cpu = dict(vendor="GenuineIntel", family=6, model=154, stepping=3, microcode="0x432",
               name="12th Gen Intel(R) Core(TM) i5-1240P", mhz=["1700.000"], cache="12288 KB",
               sockets=1, cores=8, threads=2, cpuid_level=32, flags=INTEL_FLAGS,
               bugs="spectre_v1 spectre_v2 spec_store_bypass swapgs eibrs_pbrsb rfds bhi",
               bogomips="4224.00", address_sizes="39 bits physical, 48 bits virtual")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 16))
    write(root, "proc/meminfo", meminfo(16064848, 11000000, 8388604))
    write(root, "proc/self/status", status("0-15", 16, 16))
    # podman run as a user on Fedora: the cgroup namespace hides the user's libpod scope.
    cgroup2(root, "/", "max", 41000000)
    cpu_lists(root, "0-15")
    kernel(root, "6.10.6-200.fc40.x86_64")
    proc_version(root, "6.10.6-200.fc40.x86_64", "mockbuild@9e1fda2fbe5b4d6e91c5f7bcbf0d7e2a",
                 "gcc (GCC) 14.2.1 20240801 (Red Hat 14.2.1-1), GNU ld version 2.41-37.fc40",
                 "#1 SMP PREEMPT_DYNAMIC Thu Aug 22 15:19:45 UTC 2024")
    write(root, "etc/os-release", os_release("Fedora Linux 40 (Container Image)", "Fedora Linux", "40", "fedora"))
    write(root, "run/.containerenv", 'engine="podman-5.2.2"\nname="dev"\nid="5e1d0c7b9a"\n'
          'image="registry.fedoraproject.org/fedora:40"\nimageid="b7c1e6f0"\nrootless=1\n')
    # Podman declares itself to process 1; an image's stale /.dockerenv must not outweigh it.
    write(root, ".dockerenv", "")
    init_process(root, "0::/\n", [("container", "podman"), ("HOME", "/root"), ("HOSTNAME", "dev")])
    mounts(root, [
        "625 570 0:62 / / rw,relatime - overlay overlay rw,lowerdir=/home/ana/.local/share/containers/storage/"
        "overlay/l/QW3:/home/ana/.local/share/containers/storage/overlay/l/ZT5,upperdir=/home/ana/.local/share/"
        "containers/storage/overlay/7c2/diff,workdir=/home/ana/.local/share/containers/storage/overlay/7c2/work,"
        "userxattr",
        "626 625 0:65 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw",
        "627 625 0:66 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755,uid=1000,gid=1000,inode64",
        "628 625 0:67 / /sys ro,nosuid,nodev,noexec,relatime - sysfs sysfs ro",
        "629 625 0:68 / /run/.containerenv rw,nosuid,nodev,relatime - tmpfs tmpfs rw,size=3212972k,nr_inodes=803243,mode=700,uid=1000,gid=1000,inode64",
        "630 625 0:41 /home/ana/src /src rw,relatime - btrfs /dev/nvme0n1p3 rw,seclabel,compress=zstd:1,ssd,discard=async,space_cache=v2,subvolid=256,subvol=/home",
    ])
    # The host's sysfs, read-only: its hybrid topology.
    hybrid_topology(root, 4, 8)
    cpuid_dump(root, alder_lake_p("12th Gen Intel(R) Core(TM) i5-1240P", 12288), 0x7, ALDER_LAKE_NOTE % "i5-1240P")


def vm_without_nominal(root):
    cpu = dict(vendor="AuthenticAMD", family=25, model=1, stepping=0, microcode="0xffffffff",
               name="AMD EPYC 7B13", mhz=["2449.998"], cache="512 KB", sockets=1, cores=4, threads=2,
               cpuid_level=13, flags=VM_FLAGS, bugs="sysret_ss_attrs null_seg spectre_v1 spectre_v2 spec_store_bypass srso",
               bogomips="4899.99", address_sizes="48 bits physical, 48 bits virtual")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 8))
    write(root, "proc/meminfo", meminfo(32873452, 31200000, 0))
    write(root, "proc/self/status", status("0-7", 8, 8))
    cgroup2(root, "/user.slice/user-1001.slice/session-1.scope", "max", 700000)
    cpu_lists(root, "0-7")
    kernel(root, "6.1.0-26-cloud-amd64")
    write(root, "etc/os-release", os_release("Debian GNU/Linux 12 (bookworm)", "Debian GNU/Linux", "12", "debian"))
    mounts(root, [
        "21 26 0:20 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw",
        "22 26 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw",
        "23 26 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=16421228k,nr_inodes=4105307,mode=755",
        "26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,discard,errors=remount-ro",
        "27 26 8:15 / /boot/efi rw,relatime shared:30 - vfat /dev/sda15 rw,fmask=0022,dmask=0022,codepage=437,iocharset=ascii,shortname=mixed,utf8,errors=remount-ro",
        "28 26 8:16 / /mnt/disks/data rw,relatime shared:31 - ext4 /dev/sdb rw,discard",
    ])
    uniform_topology(root, 1, 4, 2)
    cpuid_dump(root, amd_cpu(
        (25, 1, 0), 0xD, 0x8000001F, 8,
        "sse3 pclmulqdq ssse3 fma cx16 pcid sse4_1 sse4_2 x2apic movbe popcnt aes xsave osxsave avx f16c rdrand "
        "hypervisor",
        ("fsgsbase bmi1 avx2 smep bmi2 erms invpcid rdseed adx smap clflushopt clwb sha_ni",
         "umip vaes vpclmulqdq rdpid", "fsrm"), 0, 32768, 32768, 8, "AMD EPYC 7B13", AVX_STATE,
        ext_ecx="lahf_lm cmp_legacy abm sse4a misalignsse prefetchw osvw topoext", extra=KVM), 0x7, """
AMD EPYC 7B13 (Zen 3, "Milan"), family 0x19 model 1 stepping 0, as a KVM guest of four cores with
two threads sees it: the hypervisor bit and "KVMKVMKVM", no SVM and no protection keys, the
highest leaves the hypervisor passes (0xD, 0x8000001F), one 32 MiB L3 for the guest. Composed
from AMD's documentation of the model.
""")


def zfs_nas(root):
    cpu = dict(vendor="AuthenticAMD", family=23, model=96, stepping=1, microcode="0x8600106",
               name="AMD Ryzen 5 PRO 4650G with Radeon Graphics", mhz=["1400.000", "3700.000"], cache="512 KB",
               sockets=1, cores=6, threads=2, cpuid_level=16, flags=AMD_FLAGS,
               bugs="sysret_ss_attrs spectre_v1 spectre_v2 spec_store_bypass retbleed smt_rsb srso", bogomips="7386.02",
               address_sizes="48 bits physical, 48 bits virtual", power="ts ttp tm hwpstate cpb eff_freq_ro [13] [14]")
    write(root, "proc/cpuinfo", cpuinfo(cpu, 12))
    write(root, "proc/meminfo", meminfo(65745000, 20100000, 0))
    write(root, "proc/self/status", status("0-11", 12, 12))
    cgroup2(root, "/user.slice/user-0.slice/session-4.scope", "max", 900000)
    cpu_lists(root, "0-11")
    cppc(root, 3700, 1400, 166, 166)
    cpufreq(root, max_khz=4300000, min_khz=1400000, driver="acpi-cpufreq")
    kernel(root, "6.8.12-2-pve")
    write(root, "etc/os-release", os_release("Debian GNU/Linux 12 (bookworm)", "Debian GNU/Linux", "12", "debian"))
    gpu(root, "card0", "0x1002", "0x1636", 1, "amdgpu", vram=536870912, connectors=("HDMI-A-1", "DP-1"))
    lines = [
        "24 1 0:22 / / rw,relatime shared:1 - zfs rpool/ROOT/pve-1 rw,xattr,noacl,casesensitive",
        "25 24 0:23 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw",
        "26 24 0:24 / /proc rw,relatime shared:13 - proc proc rw",
        "27 24 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=32848000k,nr_inodes=8212000,mode=755",
        "29 24 0:26 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=6574500k,mode=755",
        "60 24 259:2 / /boot/efi rw,relatime shared:30 - vfat /dev/nvme0n1p2 rw,fmask=0022,dmask=0022",
        "61 24 0:47 / /rpool rw,noatime shared:31 - zfs rpool rw,xattr,noacl,casesensitive",
        "62 61 0:48 / /rpool/data rw,noatime shared:32 - zfs rpool/data rw,xattr,noacl,casesensitive",
        "63 24 0:49 / /tank rw,noatime shared:33 - zfs tank rw,xattr,posixacl,casesensitive",
    ]
    ident = 100
    # One dataset a user, a share and a backup set: 120 file systems in all.
    for group, count in (("home", 40), ("shares", 40), ("backup", 37)):
        for i in range(count):
            lines.append(f"{ident} 63 0:{ident} / /tank/{group}/{group[0]}{i:02d} rw,noatime shared:{ident} - zfs "
                         f"tank/{group}/{group[0]}{i:02d} rw,xattr,posixacl,casesensitive")
            ident += 1
    # A container engine's layers, each its own dataset, and a container's root overlay.
    for i in range(30):
        lines.append(f"{ident} 24 0:{ident} / /var/lib/docker/zfs/graph/{i:04x}f00d rw,relatime shared:{ident} - zfs "
                     f"rpool/docker/{i:04x}f00d rw,xattr,noacl,casesensitive")
        ident += 1
    mounts(root, lines)
    uniform_topology(root, 1, 6, 2)
    cpuid_dump(root, amd_cpu((23, 0x60, 1), 0x10, 0x8000001F, 12, ZEN_ECX, ZEN2_7, 0, 8192, 4096, 6,
                             "AMD Ryzen 5 PRO 4650G with Radeon Graphics", ZEN2_STATE), 0x7, """
AMD Ryzen 5 PRO 4650G (Zen 2, "Renoir"), family 0x17 model 0x60 stepping 1, bare metal; composed
from AMD's documentation of the model. AVX2, SHA, SSE4a; no VAES. Two core complexes of three
cores, 4 MiB of L3 each.
""")


MACHINES = {
    "two-socket-xeon-160": two_socket_server,
    "epyc-96": amd_96_server,
    "hybrid-laptop": hybrid_laptop,
    "container-cpuset": container,
    "cgroup1-host": cgroup1_host,
    "nvme-desktop": nvme_desktop,
    "dual-gpu-laptop": dual_gpu_laptop,
    "wsl2": wsl2,
    "podman-rootless": podman_rootless,
    "vm-no-nominal": vm_without_nominal,
    "zfs-nas": zfs_nas,
}

if __name__ == "__main__":
    for name, make in MACHINES.items():
        root = os.path.join(HERE, name, "tree")
        shutil.rmtree(root, ignore_errors=True)
        make(root)
