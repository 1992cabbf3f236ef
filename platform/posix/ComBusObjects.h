#pragma once
// The program's side of the dictionary application's objects: one proxy per
// object handed out, standing for the object at its class's bus name and path.
#include "platform/Com.h"
#include "platform/TarnwickObjects.h"

// A new proxy for the object of a bus class (reference count 1), as IUnknown.
IUnknown* NewComBusObject(const COMBUSCLASS& busClass);
