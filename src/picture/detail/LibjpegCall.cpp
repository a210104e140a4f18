#include "picture/detail/LibjpegCall.h"

#include "picture/PictureErrors.h"

namespace {

extern "C" void OnFatalError(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<LibjpegErrors*>(cinfo->err);
    errors->code = errors->manager.msg_code;
    std::longjmp(errors->jump, 1);
}

extern "C" void OnMessage(j_common_ptr, int) { }

extern "C" void OnOutput(j_common_ptr) { }

} // namespace

jpeg_error_mgr* InstallLibjpegErrors(LibjpegErrors& errors)
{
    jpeg_error_mgr* manager = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnFatalError;
    errors.manager.emit_message = OnMessage;
    errors.manager.output_message = OnOutput;
    errors.code = 0;
    return manager;
}

void CheckLibjpeg(int code)
{
    if (code != 0)
        throw EJPEG(code);
}
