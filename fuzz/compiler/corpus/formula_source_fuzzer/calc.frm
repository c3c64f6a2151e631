// R is twice A.
method CALC
input A;
output R;
proc
R = A * 2;
endp
