#pragma once

#include <csetjmp>

// jpeglib.h needs size_t and FILE declared before it, so the layout's order
// of includes does not hold here.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

// libjpeg reports fatal errors by calling error_exit, which must not return.
// The error manager below stores the message code and longjmps back to a
// setjmp taken in TryLibjpeg. That function holds no C++ objects, so the jump
// skips no destructor; it returns the code and the C++ caller throws after it
// has returned (CheckLibjpeg). Warnings and trace messages are dropped. The
// decoder and the encoder both call libjpeg only this way.

struct LibjpegErrors {
    jpeg_error_mgr manager; // first member: libjpeg's pointer is cast back
    std::jmp_buf jump;
    int code;
};

// Makes `errors` the error manager of a libjpeg object about to be created.
jpeg_error_mgr* InstallLibjpegErrors(LibjpegErrors& errors);

// The one place that catches libjpeg's fatal exit: setjmp, one libjpeg call,
// return 0 or the message code. Its frame owns no object with a destructor
// (the call is a lambda holding pointers), so the longjmp back skips nothing.
template <typename LibjpegCall> int TryLibjpeg(LibjpegErrors* errors, LibjpegCall call)
{
    if (setjmp(errors->jump))
        return errors->code;
    call();
    return 0;
}

// EJPEG with libjpeg's message code unless `code` is 0.
void CheckLibjpeg(int code);
