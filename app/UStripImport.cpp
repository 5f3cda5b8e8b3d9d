#include "app/UStripImport.h"
