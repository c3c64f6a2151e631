// MONTANTE: capital after a number of years at a yearly rate, with the
// interest added and rounded to cents at the end of every year.
method MONTANTE
input capitale, tasso, anni;
output montante;
local anno;
proc
montante = capitale;
anno = 0;
while (anno < anni)
    montante = round(montante + montante % tasso, 2);
    anno = anno + 1;
end
endp
