#include "ui/ScrollSpdbtn_m.h"
