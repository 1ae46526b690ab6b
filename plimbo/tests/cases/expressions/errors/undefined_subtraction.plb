{ VRACEE ("before"); VRACEE ($u - 1); VRACEE ("after"); } ZDECHNI
