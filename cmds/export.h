/// @file
/// Marks the symbols that the cmds library exports; everything else stays hidden.
#ifndef CMDS_EXPORT_H
#define CMDS_EXPORT_H

#if defined(CMDS_STATIC)
#define CMDS_API
#elif defined(_WIN32)
#if defined(CMDS_BUILDING)
#define CMDS_API __declspec(dllexport)
#else
#define CMDS_API __declspec(dllimport)
#endif
#else
#define CMDS_API __attribute__((visibility("default")))
#endif

#endif
