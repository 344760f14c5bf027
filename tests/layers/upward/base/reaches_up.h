#pragma once
// A base file that reaches up into core: the layer check must refuse it.
#include "core/context.h"
