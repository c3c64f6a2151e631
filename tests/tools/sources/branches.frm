// if, else, while, not/and/or and every comparison.
method BRANCHES
input a, b;
output r;
local i;
proc
if a > b and not (a == 0 or b <= -1) then
  r = a - b;
else
  r = b - a;
end
i = 0;
while (i < 3 and a != b) i = i + 1; r = r + i; end
if a >= 10 then r = r * 2; end
endp
