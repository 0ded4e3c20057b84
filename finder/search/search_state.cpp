#include "finder/search/search_state.h"

SearchState searchState;
