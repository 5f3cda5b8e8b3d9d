#pragma once
// The hint of a control in every language (the twin of the caption object).
#include "ui/subcaption.h"
