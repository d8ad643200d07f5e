/* Identifiers of dialog 4000 and its controls; included by C++ and the resource script. */
#ifndef KELVANE_RES_RESOURCE_H
#define KELVANE_RES_RESOURCE_H

#define IDD_MAIN 4000

/* Benchmark results and their Run buttons */
#define IDC_CPU_SPEED_RESULT 1008
#define IDC_RUN_CPU_SPEED 1009
#define IDC_FLOPS_RESULT 1000
#define IDC_RUN_FLOPS 1001
#define IDC_MEMORY_RESULT 1011
#define IDC_RUN_MEMORY 1010
#define IDC_DISK_RESULT 1003
#define IDC_DRIVE_LIST 1012
#define IDC_RUN_DISK 1002
#define IDC_RUN_ALL 1015
#define IDC_CLOSE 1 /* IDOK: Enter */
#define IDC_CANCEL 2 /* IDCANCEL: Escape */
#define IDC_WEB_LINK 1020
#define IDC_STATUS_LINE 1022

/* System Information fields */
#define IDC_CPU_DETAILS 1004
#define IDC_CPU_FAMILY 1005
#define IDC_CPU_MODEL 1006
#define IDC_CPU_STEPPING 1007
#define IDC_INSTRUCTIONS 1018
#define IDC_NOMINAL_SPEED 1013
#define IDC_VENDOR 1016
#define IDC_CORES 1014
#define IDC_MEMORY 1019
#define IDC_VIDEO_MEMORY 1017
#define IDC_OS_VERSION 1021

#define IDT_RUN_ALL 1001
#define IDT_FIELD_DETAILS 1002
#define IDM_ABOUT 9876

#define IDI_KELVANE 100

#endif
