method F
input a;
output r;
proc
if a > 0 then r = 1; else r = 2; end
endp
