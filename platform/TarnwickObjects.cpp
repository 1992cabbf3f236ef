#ifdef _WIN32
// The ids are defined once, here, from the IDL's header.
#include <initguid.h>
#endif
#include "TarnwickObjects.h"

#ifndef _WIN32
// The ids are this program's own, as in idl/Tarnwick.idl: the bus finds the
// objects by the names in the table below, so the ids only have to stay
// fixed and distinct; on Windows the classes are registered under them.
const CLSID CLSID_DictAppControl = {0x9c4ce1e5, 0x9767, 0x4604, {0xaa, 0x32, 0x61, 0x6b, 0x7f, 0x75, 0x25, 0xb9}};
const IID IID_IDictAppControl = {0x9953cec5, 0x7d67, 0x4171, {0xb5, 0x65, 0xb3, 0x0a, 0x0f, 0x96, 0x8f, 0xf0}};
const CLSID CLSID_DictConfig = {0x2f5b095f, 0xcbb1, 0x4840, {0xbd, 0x79, 0x88, 0x18, 0x9d, 0xf4, 0xc4, 0x2b}};
const IID IID_IDictConfig = {0x0c8253a3, 0x4b7e, 0x4ae3, {0x96, 0x80, 0xd8, 0xf8, 0x3a, 0xfc, 0x3f, 0x7e}};

namespace {

const COMBUSCLASS kBusClasses[] = {
    {&CLSID_DictAppControl, &IID_IDictAppControl, "com.brindlecor.Tarnwick.AppControl",
     "/com/brindlecor/Tarnwick/AppControl", "com.brindlecor.Tarnwick.DictAppControl"},
    {&CLSID_DictConfig, &IID_IDictConfig, "com.brindlecor.Tarnwick.Config", "/com/brindlecor/Tarnwick/Config",
     "com.brindlecor.Tarnwick.DictConfig"},
};

}  // namespace

const COMBUSCLASS* ComBusClassOf(REFCLSID rclsid) {
    for (const COMBUSCLASS& entry : kBusClasses)
        if (*entry.clsid == rclsid) return &entry;
    return nullptr;
}
#endif
