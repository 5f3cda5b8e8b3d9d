// A scanner library with one device whose frame parameters the test sets, for what SANE's test
// back end cannot report. Its frames are white (zero bytes of grey depth 1); it records the largest
// read it was asked for.

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <cstring>

namespace {
SANE_Parameters Parameters{SANE_FRAME_GRAY, SANE_TRUE, 8, 1, 8, 8};
SANE_Int LargestRead = 0;
long long Left = 0; // bytes of the frame still to send
SANE_Device Device{"fake:0", "Noname", "fake", "virtual device"};
const SANE_Device* Devices[] = {&Device, nullptr};
SANE_Option_Descriptor Count{SANE_NAME_NUM_OPTIONS,
                             "",
                             "",
                             SANE_TYPE_INT,
                             SANE_UNIT_NONE,
                             sizeof(SANE_Word),
                             SANE_CAP_SOFT_DETECT,
                             SANE_CONSTRAINT_NONE,
                             {nullptr}};
int Handle = 0;
} // namespace

extern "C" {
void fake_sane_set_parameters(const SANE_Parameters* p) {
    Parameters = *p;
    LargestRead = 0;
}
SANE_Int fake_sane_largest_read() {
    return LargestRead;
}

SANE_Status sane_init(SANE_Int* version, SANE_Auth_Callback) {
    if (version != nullptr)
        *version = SANE_VERSION_CODE(1, 0, 0);
    return SANE_STATUS_GOOD;
}
void sane_exit() {}
SANE_Status sane_get_devices(const SANE_Device*** list, SANE_Bool) {
    *list = Devices;
    return SANE_STATUS_GOOD;
}
SANE_Status sane_open(SANE_String_Const, SANE_Handle* h) {
    *h = &Handle;
    return SANE_STATUS_GOOD;
}
void sane_close(SANE_Handle) {}
const SANE_Option_Descriptor* sane_get_option_descriptor(SANE_Handle, SANE_Int n) {
    return n == 0 ? &Count : nullptr;
}
SANE_Status sane_control_option(SANE_Handle, SANE_Int n, SANE_Action a, void* v, SANE_Int*) {
    if (n != 0 || a != SANE_ACTION_GET_VALUE)
        return SANE_STATUS_INVAL;
    const SANE_Word one = 1;
    std::memcpy(v, &one, sizeof one);
    return SANE_STATUS_GOOD;
}
SANE_Status sane_get_parameters(SANE_Handle, SANE_Parameters* p) {
    *p = Parameters;
    return SANE_STATUS_GOOD;
}
SANE_Status sane_start(SANE_Handle) {
    Left = static_cast<long long>(Parameters.bytes_per_line) * Parameters.lines;
    return SANE_STATUS_GOOD;
}
SANE_Status sane_read(SANE_Handle, SANE_Byte* data, SANE_Int max, SANE_Int* length) {
    if (max > LargestRead)
        LargestRead = max;
    *length = Left < max ? SANE_Int(Left) : max;
    if (*length == 0)
        return SANE_STATUS_EOF;
    std::memset(data, 0, std::size_t(*length));
    Left -= *length;
    return SANE_STATUS_GOOD;
}
void sane_cancel(SANE_Handle) {}
}
