// glXCreateContextAttribsARB's attribute list: the driver makes OpenGL 1.0 and 1.1 contexts
// (compatibility by nature) and refuses every other request the way GLX_ARB_create_context says.
#pragma once

namespace mora::glx {

enum class AttributeVerdict {
    Accept,
    Unsupported,     // GLXBadFBConfig: a defined version or flag set the driver does not make
    Mismatch,        // BadMatch: a version or feature set this driver does not provide
    Undefined,       // BadValue: an attribute or value GLX does not define
    UnknownProfile,  // GLXBadProfileARB: a profile mask that is invalid or names a profile not provided
};

AttributeVerdict CheckContextAttributes(const int* attributes);

}  // namespace mora::glx
